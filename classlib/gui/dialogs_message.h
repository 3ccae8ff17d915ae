#pragma once
// Message boxes as the class library shows them: a text, a caption, an icon and a set of
// buttons, modal over the active window. Tests replace the box with a hook that records
// the request and gives the answer.
#include <functional>
#include <string>

enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONINFORMATION = 0x40,
};

enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

enum class BoxIcon { None, Stop, Question, Information };

struct MessageBoxRequest {
    std::string Text;
    std::string Caption;
    BoxIcon Icon = BoxIcon::None;
    unsigned Buttons = MB_OK; // MB_OK, MB_OKCANCEL or MB_YESNO
};

using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Shows the box (texts UTF-8) and returns the button pressed (IDOK, IDYES, IDNO...).
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);
// The class library's plain ShowMessage: the application's title, no icon, OK.
void ShowMessage(const std::string& text);

// While a hook is set, boxes go to it instead of the screen; an empty hook restores them.
void SetMessageBoxHook(MessageBoxHook hook);
