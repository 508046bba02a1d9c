#pragma once
// Painting of a form's client area into any DC, so the same code serves the screen and tests.
#include <windows.h>

#include "platform/form.h"

namespace platform::win32 {

[[nodiscard]] COLORREF ToColorRef(const Colour& colour);

// Paints the form's colour and then every visible picture and label in creation order.
void PaintClientArea(HDC dc, const RECT& client, const Form& form);

// The caller owns the font.
[[nodiscard]] HFONT CreateFontFor(const Font& font);

}  // namespace platform::win32
