#pragma once
// The application object: title, the main form and its window, the message loop, the quit request
// and the reporting of exceptions that leave a handler.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/application.h"
#include "platform/form.h"
#include "platform/services.h"

namespace platform::win32 {

class FormWindow;

class WinApplication final : public Application {
public:
    WinApplication();
    ~WinApplication() override;
    WinApplication(const WinApplication&) = delete;
    WinApplication& operator=(const WinApplication&) = delete;

    // Restricts DLL loading to the system folder and readies the common controls.
    void Initialize();
    void SetTitle(std::string title) { title_ = std::move(title); }
    [[nodiscard]] const std::string& Title() const { return title_; }

    // Creates the main form and its window, hidden; reference is filled in before the window exists.
    template <typename FormClass>
    void CreateForm(FormClass*& reference, Services& services) {
        auto form = std::make_unique<FormClass>(services);
        reference = form.get();
        AdoptMainForm(std::move(form));
    }

    // Shows the main form (its OnShow runs first), then dispatches messages until the quit request.
    void Run();

    void Terminate() override;
    void ProcessMessages() override;
    [[nodiscard]] bool Terminated() const override { return terminated_; }
    void ShowException(const std::exception& error) override;

private:
    void AdoptMainForm(std::unique_ptr<Form> form);
    // Dispatches one message; false when it was the quit message.
    bool Dispatch(MSG& message);

    std::string title_;
    std::unique_ptr<Form> mainForm_;
    std::unique_ptr<FormWindow> mainWindow_;
    bool terminated_ = false;
};

// Loads a picture stored as an RCDATA resource holding a BMP file; empty when there is none.
[[nodiscard]] Picture LoadPictureResource(const std::string& name);

}  // namespace platform::win32
