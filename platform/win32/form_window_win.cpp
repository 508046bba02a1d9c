#include "platform/win32/form_window_win.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/placement.h"
#include "platform/win32/application_win.h"
#include "platform/win32/paint_win.h"

namespace platform::win32 {
namespace {

constexpr int kFirstBoxId = 100;  // clear of IDOK and IDCANCEL, which dialog keys send

DWORD StyleFor(const FormProperties& p) {
    DWORD style = WS_CLIPCHILDREN;
    if (p.borderStyle == BorderStyle::None) return style | WS_POPUP;
    style |= WS_CAPTION;  // a single fixed frame with a title bar: no WS_THICKFRAME
    if (p.systemMenu) style |= WS_SYSMENU;
    if (p.minimizeBox) style |= WS_MINIMIZEBOX;
    if (p.maximizeBox) style |= WS_MAXIMIZEBOX;
    return style;
}

DWORD ExStyleFor(const FormProperties& p) { return p.transparentColor ? WS_EX_LAYERED : 0; }

// The window's frame style bits, which a change of look replaces; WS_VISIBLE and the like stay.
constexpr DWORD kLookStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;

HCURSOR CursorFor(Cursor cursor) { return LoadCursorA(nullptr, cursor == Cursor::HandPoint ? IDC_HAND : IDC_ARROW); }

void RegisterClassOnce(const FormProperties& p, WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, p.className.c_str(), &existing)) return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = p.className.c_str();
    if (!p.iconResource.empty()) {
        windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, p.iconResource.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, p.iconResource.c_str(), IMAGE_ICON,
                                                            GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    RegisterClassExA(&windowClass);
}

}  // namespace

FormWindow::FormWindow(Form& form, WinApplication& application)
    : form_(form), application_(application), router_(form.PaintedControls()) {
    const FormProperties& p = form_.Properties();
    RegisterClassOnce(p, &FormWindow::WindowProc);
    font_.Reset(CreateFontFor(p.font));
    boxBrush_.Reset(CreateSolidBrush(RGB(192, 192, 192)));
    if (!form_.CheckBoxes().empty()) boxBrush_.Reset(CreateSolidBrush(ToColorRef(form_.CheckBoxes().front()->background)));

    // The size asked for is the client size; the outer size follows from the look the window starts in.
    const DWORD style = StyleFor(p);
    RECT outer{0, 0, p.clientWidth, p.clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, ExStyleFor(p));
    CreateWindowExA(ExStyleFor(p), p.className.c_str(), p.caption.c_str(), style, p.left, p.top,
                    outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!window_) return;
    if (p.transparentColor) {
        const Rgb key = p.transparentColorValue;
        SetLayeredWindowAttributes(window_, RGB(key.r, key.g, key.b), 0, LWA_COLORKEY);
    }
    CreateCheckBoxes();
    FitLabelsToText();
    form_.AttachHost(this);
}

FormWindow::~FormWindow() {
    form_.AttachHost(nullptr);
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void FormWindow::CreateCheckBoxes() {
    int id = kFirstBoxId;
    bool first = true;
    for (const auto& box : form_.CheckBoxes()) {
        const Rect& at = box->Bounds();
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | (first ? WS_GROUP : 0);
        HWND child = CreateWindowExA(0, "BUTTON", "", style, at.left, at.top, at.width, at.height, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), GetModuleHandleA(nullptr), nullptr);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        SendMessageA(child, BM_SETCHECK, box->InitiallyChecked() ? BST_CHECKED : BST_UNCHECKED, 0);
        boxes_.push_back(child);
        first = false;
    }
}

void FormWindow::FitLabelsToText() {
    WindowDc dc(window_);
    if (!dc.Get()) return;
    for (const auto& control : form_.PaintedControls()) {
        auto* label = dynamic_cast<LabelControl*>(control.get());
        if (!label) continue;
        UniqueFont font(CreateFontFor(label->font));
        SelectGuard select(dc.Get(), font.Get());
        SIZE extent{};
        if (GetTextExtentPoint32A(dc.Get(), label->caption.c_str(), static_cast<int>(label->caption.size()), &extent))
            label->FitText(extent.cx, extent.cy);
    }
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    // Nothing may unwind through the system's frames: a handler's failure is reported and the
    // program goes on.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        self->application_.ShowException(error);
    } catch (...) {
        self->application_.ShowException(std::runtime_error("Unexpected failure"));
    }
    return 0;
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_MOUSEMOVE: OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_MOUSELEAVE: trackingLeave_ = false; router_.Leave(); return 0;
        case WM_LBUTTONDOWN:
            SetCapture(window_);
            router_.Press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            releasingCapture_ = true;
            ReleaseCapture();
            releasingCapture_ = false;
            router_.Release(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (!releasingCapture_) router_.CancelPress();
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            break;
        case WM_COMMAND: OnCommand(wParam, lParam); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (BoxOf(reinterpret_cast<HWND>(lParam))) {
                SetBkColor(reinterpret_cast<HDC>(wParam), RGB(192, 192, 192));
                return reinterpret_cast<LRESULT>(boxBrush_.Get());
            }
            break;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_CLOSE: form_.Close(); return 0;  // the window itself goes when the application ends
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            // The session is ending now: leave at once, neither waiting for nor stopping a child.
            if (wParam) ExitProcess(0);
            return 0;
        default: break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void FormWindow::OnPaint() {
    PaintGuard paint(window_);
    RECT client;
    GetClientRect(window_, &client);
    // Painted off screen first, so a picture change never flickers through the background.
    UniqueMemoryDc buffer(CreateCompatibleDC(paint.Dc()));
    UniqueBitmap canvas(CreateCompatibleBitmap(paint.Dc(), client.right, client.bottom));
    if (!buffer || !canvas) {
        PaintClientArea(paint.Dc(), client, form_);
        return;
    }
    SelectGuard select(buffer.Get(), canvas.Get());
    PaintClientArea(buffer.Get(), client, form_);
    const RECT& area = paint.Area();
    BitBlt(paint.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top, buffer.Get(), area.left,
           area.top, SRCCOPY);
}

void FormWindow::OnMouseMove(int x, int y) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window_;
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    router_.Move(x, y);
}

void FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Enter and Escape arrive here as IDOK and IDCANCEL from the dialog keys: they do nothing.
    if (HIWORD(wParam) != BN_CLICKED) return;
    const auto& boxes = form_.CheckBoxes();
    const auto found = std::find(boxes_.begin(), boxes_.end(), reinterpret_cast<HWND>(lParam));
    if (found != boxes_.end()) boxes[static_cast<std::size_t>(found - boxes_.begin())]->Click();
}

void FormWindow::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && BoxOf(focus)) lastFocus_ = focus;
        return;
    }
    if (!lastFocus_ && !boxes_.empty()) lastFocus_ = boxes_.front();
    if (lastFocus_) SetFocus(lastFocus_);
}

bool FormWindow::OnSetCursor(HWND over, int hitTest) {
    if (hitTest != HTCLIENT) return false;
    if (const CheckBoxControl* box = BoxOf(over)) {
        SetCursor(CursorFor(box->cursor));
        return true;
    }
    if (over != window_) return false;
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(window_, &at);
    const PaintedControl* control = router_.HitTest(at.x, at.y, true);
    SetCursor(CursorFor(control ? control->cursor : Cursor::Default));
    return true;
}

const CheckBoxControl* FormWindow::BoxOf(HWND child) const {
    const auto found = std::find(boxes_.begin(), boxes_.end(), child);
    if (found == boxes_.end()) return nullptr;
    return form_.CheckBoxes()[static_cast<std::size_t>(found - boxes_.begin())].get();
}

bool FormWindow::TranslateDialogKeys(MSG& message) { return window_ && IsDialogMessageA(window_, &message); }

void FormWindow::ApplyTransparentColor(bool on, Rgb key) {
    const LONG_PTR exStyle = GetWindowLongPtrA(window_, GWL_EXSTYLE);
    if (on) {
        SetWindowLongPtrA(window_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window_, RGB(key.r, key.g, key.b), 0, LWA_COLORKEY);
        return;
    }
    SetWindowLongPtrA(window_, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void FormWindow::ApplyBorderStyle(BorderStyle) {
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    const LONG_PTR look = static_cast<LONG_PTR>(StyleFor(form_.Properties()));
    SetWindowLongPtrA(window_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(kLookStyles)) | look);
    // In place: the outer size and position stay, the client area gives room to the frame.
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void FormWindow::PlaceAndShow() {
    if (form_.Properties().position == Position::DesktopCenter) {
        RECT outer;
        GetWindowRect(window_, &outer);
        const Point at = DesktopCentre(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                       outer.right - outer.left, outer.bottom - outer.top);
        SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        form_.SetPosition(Position::Designed);  // a later display would not centre it again
    }
    // The first paint is left to the message loop, which takes it at once when nothing else waits.
    // When start-up has already asked to end (the game is started by then), the loop takes the quit
    // request first, as a paint is the last thing a queue hands out: the window shown for that moment
    // is never painted, since painting it would only delay the end by a whole paint.
    ShowWindow(window_, SW_SHOWNORMAL);
}

void FormWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void FormWindow::Invalidate(const Rect& area) {
    RECT rect{area.left, area.top, area.left + area.width, area.top + area.height};
    InvalidateRect(window_, &rect, FALSE);
}

bool FormWindow::IsChecked(const CheckBoxControl& box) const {
    const auto& boxes = form_.CheckBoxes();
    for (std::size_t i = 0; i < boxes.size() && i < boxes_.size(); ++i)
        if (boxes[i].get() == &box) return SendMessageA(boxes_[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
    return box.InitiallyChecked();
}

}  // namespace platform::win32
