#pragma once
// The device operations as the main window binds them to its tool bar, menu and buttons:
// Read, Erase, Write, Verify, Auto, Blank check and detect. Each runs from its button to its
// end on the GUI thread and reaches the user only through WindowServices.
#include "datetime.h"
#include "device_session.h"

#include <functional>

class TObject;
struct ProgrammerState;
class WindowServices;

class ProgrammerOperations {
public:
    ProgrammerOperations(ProgrammerState& state, WindowServices& services);

    void ToolReadClick(TObject* sender);
    void ToolEraseClick(TObject* sender);
    void ToolWriteClick(TObject* sender);
    void ToolVerifyClick(TObject* sender);
    void ToolAutoClick(TObject* sender);
    void ToolBankClick(TObject* sender);
    void BitBtn1Click(TObject* sender);

    // True while a session holds the link; the window then holds off its programmer probe
    // and the menu commands that start an operation or change the buffer, table or selection.
    bool SessionRunning() const { return session_.Running() || busy_; }

    // The clock of StartTime and EndTime; tests replace it.
    std::function<TDateTime()> Clock = Now;

private:
    class Busy;

    bool EmptyBuffer();
    bool BadRecord();
    bool ChipAbsent();
    void Start();
    void Finish();
    void Log(int message);
    void Detect();

    ProgrammerState& state_;
    WindowServices& ui_;
    DeviceSession session_;
    bool busy_ = false;
};
