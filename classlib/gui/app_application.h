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

    // The class library's ShowException: ExceptionBoxText of the message, the application's
    // title, the error icon.
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

// The text of an exception box: the message with a full stop added, unless it is empty or
// ends in a character up to "." or in terminal punctuation of any script.
std::string ExceptionBoxText(const std::string& message);
