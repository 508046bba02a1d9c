#include "platform/win32/paint_win.h"

#include <cstring>

#include "platform/win32/unique_handle_win.h"

namespace platform::win32 {
namespace {

BITMAPINFO DescribePicture(const Picture& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;  // bottom-up, as stored
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

void PaintImage(HDC dc, const ImageControl& image) {
    const Picture& picture = image.GetPicture();
    if (picture.Empty()) return;
    const Rect& at = image.Bounds();
    // Pictures are drawn at their own size from the control's corner, cut to the control.
    const int width = picture.width < at.width ? picture.width : at.width;
    const int height = picture.height < at.height ? picture.height : at.height;
    BITMAPINFO info = DescribePicture(picture);
    if (!image.transparent) {
        StretchDIBits(dc, at.left, at.top, width, height, 0, picture.height - height, width, height, picture.bits.data(),
                      &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!bitmap || !source) return;
    std::memcpy(bits, picture.bits.data(), picture.bits.size());
    SelectGuard select(source.Get(), bitmap.Get());
    const Rgb key = picture.BottomLeft();
    GdiTransparentBlt(dc, at.left, at.top, width, height, source.Get(), 0, 0, width, height, RGB(key.r, key.g, key.b));
}

void PaintLabel(HDC dc, const LabelControl& label) {
    const Rect& at = label.Bounds();
    RECT area{at.left, at.top, at.left + at.width, at.top + at.height};
    UniqueBrush background(CreateSolidBrush(ToColorRef(label.background)));
    FillRect(dc, &area, background.Get());
    UniqueFont font(CreateFontFor(label.font));
    SelectGuard select(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(label.font.colour));
    DrawTextA(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &area,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

}  // namespace

HFONT CreateFontFor(const Font& font) {
    return CreateFontA(font.height, 0, 0, 0, FW_NORMAL, FALSE, font.underline ? TRUE : FALSE, FALSE,
                       static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
}

COLORREF ToColorRef(const Colour& colour) {
    if (colour.systemIndex) return GetSysColor(*colour.systemIndex);
    return RGB(colour.rgb.r, colour.rgb.g, colour.rgb.b);
}

void PaintClientArea(HDC dc, const RECT& client, const Form& form) {
    UniqueBrush background(CreateSolidBrush(ToColorRef(form.Properties().colour)));
    FillRect(dc, &client, background.Get());
    for (const auto& control : form.PaintedControls()) {
        if (!control->Visible()) continue;
        if (const auto* image = dynamic_cast<const ImageControl*>(control.get())) {
            PaintImage(dc, *image);
        } else if (const auto* label = dynamic_cast<const LabelControl*>(control.get())) {
            PaintLabel(dc, *label);
        }
    }
}

}  // namespace platform::win32
