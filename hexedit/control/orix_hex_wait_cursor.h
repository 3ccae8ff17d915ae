#pragma once
// The hourglass for the length of a long step of the control (copy, paste, find, nibble
// shifts, printing), restored on every way out, also when the step throws. It holds the
// control weakly: a control destroyed meanwhile (a handler run from processed messages)
// is not touched again.
#include "orix_hex_editor.h"

#include <QPointer>

class TOrixHWaitCursor {
public:
    explicit TOrixHWaitCursor(TCustomOrixHexEditor* editor) : editor_(editor) {
        editor_->WaitCursor();
    }
    ~TOrixHWaitCursor() {
        if (editor_) editor_->OldCursor();
    }
    TOrixHWaitCursor(const TOrixHWaitCursor&) = delete;
    TOrixHWaitCursor& operator=(const TOrixHWaitCursor&) = delete;

private:
    QPointer<TCustomOrixHexEditor> editor_;
};
