#pragma once
// The application object: its title, the message boxes shown in its name, letting pending
// messages run, and the default exception handler. No exception leaves an event handler:
// each handler runs inside Guard, which shows what it raised and ends only that handler.
#include <exception>
#include <string>

class TApplication {
public:
    // Caption of the plain message box and of exception boxes.
    std::string Title = "Pyrolan";

    // The class library's ShowException: the message (with a full stop added when it ends
    // in neither "." nor a character below it), the application's title, the error icon.
    void ShowException(const std::exception& error);
    // Shows the exception that is being handled; any other thrown value shows as an
    // exception with an empty message.
    void HandleException();
    // Pending window messages run; returns when none is left.
    void ProcessMessages();
    // The platform's default beep.
    void Beep();

    template <class Handler> void Guard(Handler&& handler) noexcept {
        try {
            handler();
        } catch (...) {
            HandleException();
        }
    }
};

extern TApplication Application;
