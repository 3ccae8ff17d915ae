#pragma once
// The main window as the settings and chip database targets drive it: the program's folder is
// a fuzz folder, and boxes are counted instead of shown, so that nothing waits for a click.
#include "fuzz_qt.h"
#include "main_form.h"
#include "sysutils.h"

#include <memory>

class FuzzForm : public TForm1 {
public:
    void ShowError(const std::string&) override { ++boxes; }
    bool AskYesNo(const std::string&) override {
        ++boxes;
        return false;
    }
    void ShowInformation(const std::string&) override { ++boxes; }
    void ShowMessage(const std::string&) override { ++boxes; }

    int boxes = 0;
};

// The program's own path inside a fuzz folder, set before the window reads anything beside it.
inline const std::string& FuzzProgramPath() {
    static const std::string path = FuzzFolder("fuzz_window") + "/Pyrolan";
    return path;
}

inline FuzzForm& TheForm() {
    static FuzzForm* form = [] {
        FuzzApp();
        SetApplicationExeName(FuzzProgramPath());
        return new FuzzForm;
    }();
    return *form;
}
