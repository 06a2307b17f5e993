#pragma once
#include <QPersistentModelIndex>

// The entry drag inside the list: armed by a button press, carried by pointer moves.
struct DragState {
    bool DraggingInList = false;
    // The entry holding the dragged text; invalid once that entry has left the list.
    QPersistentModelIndex DragEntry;
};
