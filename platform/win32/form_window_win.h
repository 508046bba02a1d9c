#pragma once
// The window that shows a Form: it creates the check boxes as child windows, paints the pictures
// and labels, turns pointer messages into control events and applies the form's two looks.
#include <windows.h>

#include <vector>

#include "platform/form.h"
#include "platform/pointer_router.h"
#include "platform/win32/unique_handle_win.h"

namespace platform::win32 {

class WinApplication;

class FormWindow final : public FormHost {
public:
    FormWindow(Form& form, WinApplication& application);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    [[nodiscard]] WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(window_); }
    void ApplyTransparentColor(bool on, Rgb key) override;
    void ApplyBorderStyle(BorderStyle style) override;
    void PlaceAndShow() override;
    void Hide() override;
    void Invalidate(const Rect& area) override;
    [[nodiscard]] bool IsChecked(const CheckBoxControl& box) const override;

    // Tab between the boxes; true when the message was used up for that.
    bool TranslateDialogKeys(MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateCheckBoxes();
    void FitLabelsToText();
    void OnPaint();
    void OnMouseMove(int x, int y);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnActivate(bool active);
    bool OnSetCursor(HWND over, int hitTest);
    [[nodiscard]] const CheckBoxControl* BoxOf(HWND child) const;

    Form& form_;
    WinApplication& application_;
    HWND window_ = nullptr;
    std::vector<HWND> boxes_;  // the same order as form_.CheckBoxes()
    HWND lastFocus_ = nullptr;
    PointerRouter router_;
    bool trackingLeave_ = false;
    bool releasingCapture_ = false;
    UniqueFont font_;
    UniqueBrush boxBrush_;
};

}  // namespace platform::win32
