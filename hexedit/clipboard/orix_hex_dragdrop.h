#pragma once
// TOrixHDropTarget: the hex editor as the target of drags. While active, the control's viewport
// takes drops: its drag events come here, the drop marker follows the pointer, and a drop hands
// the offered data to the control's import, which places the bytes at the marker.
// Qt sends drag moves only while the pointer moves, so a timer keeps the view scrolling while
// the pointer rests at one of its edges.
#include "grid.h"

#include <QMimeData>
#include <QPoint>
#include <QTimer>

class TOrixHexEditorEx;

class TOrixHDropTarget {
public:
    explicit TOrixHDropTarget(TOrixHexEditorEx* editor);
    ~TOrixHDropTarget();
    TOrixHDropTarget(const TOrixHDropTarget&) = delete;
    TOrixHDropTarget& operator=(const TOrixHDropTarget&) = delete;

    bool Active() const { return FActive; }
    // Registers the control's viewport as a place for drops, or withdraws it.
    void SetActive(bool value);

    // Points are in client pixels; keys the shift state of the drag. Effect comes back as the
    // action a drop at the point would take (Qt::IgnoreAction when it is refused there).
    // DragEnter is true when the control takes the data at all: drops switched on, a format
    // it reads.
    bool DragEnter(const QMimeData* data, TShiftState keys, Qt::DropActions allowed, QPoint point,
                   Qt::DropAction& effect);
    void DragOver(TShiftState keys, Qt::DropActions allowed, QPoint point, Qt::DropAction& effect);
    void DragLeave();
    // True when the bytes were placed; effect is then the action that was carried out.
    bool Drop(const QMimeData* data, TShiftState keys, Qt::DropActions allowed, QPoint point,
              Qt::DropAction& effect);

    // One step of the edge scrolling: the marker shown again where the pointer last was.
    void ScrollStep();
    bool ScrollTimerRunning() const { return FScrollTimer.isActive(); }
    // Marker hidden, edge scrolling stopped.
    void StopMarker();

private:
    void ShowMarker(QPoint point);
    // What the answer to a drag over the control may promise at the marker.
    void Promise(Qt::DropAction& effect) const;

    TOrixHexEditorEx* FEditor;
    bool FActive = false;
    QPoint FPoint;
    QTimer FScrollTimer;
};
