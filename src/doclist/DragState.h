#pragma once
#include <QCursor>
#include <QPersistentModelIndex>
#include <functional>

// The entry drag inside the list: armed by a button press, carried by pointer moves.
struct DragState {
    bool DraggingInList = false;
    // The entry holding the dragged text. It follows the entry while others move and becomes
    // invalid once the entry has left the list (a move replaces the moved entry by a new one),
    // so a later drag never acts on an entry that is gone.
    QPersistentModelIndex DragEntry;
    // The pointer's position on the screen, in pixels (GetCursorPos).
    std::function<QPoint()> GetCursorPos = [] { return QCursor::pos(); };
};
