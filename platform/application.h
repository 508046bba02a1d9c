#pragma once
// What logic code needs of the application object: its quit request and its message pass.
#include <exception>

namespace platform {

class Application {
public:
    virtual ~Application() = default;
    // Posts the quit request and returns at once; the message loop ends when it takes it.
    virtual void Terminate() = 0;
    // Dispatches every waiting message and returns once the queue is empty. Taking the quit
    // message sets the terminate flag instead of dispatching it.
    virtual void ProcessMessages() = 0;
    // The terminate flag: set once the quit message was taken; nothing clears it.
    [[nodiscard]] virtual bool Terminated() const = 0;
    // Reports an exception that left a handler to the user, then the program goes on.
    virtual void ShowException(const std::exception& error) = 0;
};

}  // namespace platform
