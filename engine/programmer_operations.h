#pragma once
// The device operations as the main window binds them to its tool bar, menu and buttons:
// Read, Erase, Write, Verify, Auto, Blank check and detect. Each runs from its button to its
// end on the GUI thread and reaches the user only through WindowServices.
#include "chip_routines.h"
#include "datetime.h"
#include "device_session.h"

#include <functional>

class TObject;
struct ProgrammerState;
class WindowServices;
enum MessageId : int;

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
    class Session;

    // Which chips an operation looks for in the socket before its session.
    enum class PresenceCheck { Always, DataFamilies };
    // What an operation does before its session, in this order: the take-over of hex-view
    // edits and the empty check when it uses the buffer, the chip record check for what it
    // sends the chip, the presence check.
    struct Frame {
        bool UsesBuffer;
        PresenceCheck Presence;
        ChipAccess Access = ChipAccess::Chunks;
    };

    // The frame every operation except detection shares: no start while one runs, the checks
    // of the frame, then one device session that runs the steps after Start when it opened,
    // and ends on every path; after runs once the session has ended.
    void Run(const Frame& frame, const std::function<void()>& steps,
             const std::function<void()>& after = {});

    bool EmptyBuffer();
    bool BadRecord(ChipAccess access);
    bool ChipAbsent();
    void Start();
    void Finish();
    void Log(MessageId message);
    void EndWork(RoutineResult result, MessageId done);
    void EndCheck(RoutineResult result, MessageId done);
    void Detect();

    ProgrammerState& state_;
    WindowServices& ui_;
    DeviceSession session_;
    bool busy_ = false;
};
