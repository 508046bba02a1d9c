#pragma once
// The launcher's pictures, each drawn from scratch. Every function returns a new picture and
// throws std::runtime_error when a font is missing or a text line cannot be fitted.
#include "canvas.h"
#include "platform/picture.h"

namespace artgen {

// The offer window's background, 497 x 376.
[[nodiscard]] platform::Picture DrawBackground();

enum class ButtonKind { kPlay, kCancel };
enum class ButtonLook { kNormal, kHighlighted, kDisabled };

// A 146 x 64 picture button. The disabled look is the PLAY button in greys.
[[nodiscard]] platform::Picture DrawButton(ButtonKind kind, ButtonLook look);

// The castle badge at `size` x `size` pixels, with straight alpha, for the icon.
[[nodiscard]] Canvas DrawBadge(int size);

// The word-mark "ZORBAL" in tall multicoloured letters, fitted into `box` on `cr`.
void DrawWordMark(cairo_t* cr, Box box, double outlineWidth);

}  // namespace artgen
