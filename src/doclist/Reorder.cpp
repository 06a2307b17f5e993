#include <QPixmap>

#include "app/Form1.h"
#include "runtime/Trap.h"
#include "doclist/ListView.h"

namespace {
// The pointer while entries are dragged; an icon's hot spot is its centre. Nothing when the file
// is missing or unreadable: the list then keeps its pointer.
std::optional<QCursor> DragCursor(const QString& path) {
    const QPixmap image(path);
    if (image.isNull()) return std::nullopt;
    return QCursor(image, -1, -1);
}

// Screen rows above and below which a swap scrolls the next entry into view.
constexpr int ScrollUpBelowY = 305, ScrollDownAboveY = 364;
}  // namespace

// The list's current entry is its selected entry. With none selected (after a removal) the
// buttons only give the list the focus, and Delete and double-click do nothing.

void Form1::PushButton3_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton3_Click"));
    if (trap.test(100, [&] { return MousePointer.busy(); })) return;
    if (trap.test(102, [&] { return ListView1->count() == 0; })) return;
    int i = 0;
    trap(104, [&] { i = ListView1->currentPosition(); });
    if (trap.test(106, [&] { return i < 2; })) {
        trap(118, [&] { ListView1->setFocus(); });
        return;
    }
    // The moved entry is a new entry with the same text; the neighbour it passes stays itself.
    trap(108, [&] { ListView1->insertEntry(i - 1, ListView1->entryText(i)); });
    trap(110, [&] { ListView1->removeEntry(i + 1); });
    trap(112, [&] { ListView1->selectEntry(i - 1); });
    trap(114, [&] { ListView1->scrollToEntry(i - 1); });
    trap(116, [&] { ListView1->setFocus(); });
}

void Form1::PushButton5_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton5_Click"));
    if (trap.test(100, [&] { return MousePointer.busy(); })) return;
    if (trap.test(102, [&] { return ListView1->count() == 0; })) return;
    int i = 0;
    trap(104, [&] { i = ListView1->currentPosition(); });
    if (trap.test(106, [&] { return i == 0 || i >= ListView1->count(); })) {
        trap(118, [&] { ListView1->setFocus(); });
        return;
    }
    trap(108, [&] { ListView1->insertEntry(i + 2, ListView1->entryText(i)); });
    trap(110, [&] { ListView1->removeEntry(i); });
    trap(112, [&] { ListView1->selectEntry(i + 1); });
    trap(114, [&] { ListView1->scrollToEntry(i + 1); });
    trap(116, [&] { ListView1->setFocus(); });
}

void Form1::PushButton6_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton6_Click"));
    trap(100, [&] {
        if (!MousePointer.busy()) ListView1->clear();
    });
}

namespace {
void RemoveCurrentEntry(Form1& form) {
    if (form.MousePointer.busy() || form.ListView1->count() == 0) return;
    if (const int current = form.ListView1->currentPosition()) form.ListView1->removeEntry(current);
}
}  // namespace

// Delete (key code 46) with any modifier keys; other keys are the list's own.
void Form1::ListView1_KeyDown(int keyCode, Qt::KeyboardModifiers) {
    if (keyCode == Qt::Key_Delete) RemoveCurrentEntry(*this);
}

void Form1::ListView1_DblClick() { RemoveCurrentEntry(*this); }

// The list never starts a drag of its own (drag mode manual), so pressing an entry only prepares
// the reordering drag.
void Form1::ListView1_ItemClick(const QModelIndex&) {
    if (const auto cursor = DragCursor(platform.programFolder + QStringLiteral("/drag.ico")))
        ListView1->setCursor(*cursor);
    const int current = ListView1->currentPosition();
    drag.DragEntry = current ? ListView1->entryHandle(current) : QPersistentModelIndex();
}

void Form1::ListView1_MouseDown(Qt::MouseButton, const QPoint&) { drag.DraggingInList = true; }

void Form1::ListView1_MouseMove(Qt::MouseButtons buttons, const QPoint& position) {
    if (!MousePointer.busy()) MousePointer.setMode(vbDefault);
    if (!drag.DraggingInList) return;
    // A move without a button held means the release happened where the list could not see it
    // (a box opened meanwhile): the drag is over, and hovering must not reorder the list.
    if (buttons == Qt::NoButton) {
        ListView1_MouseUp(Qt::NoButton, position);
        return;
    }
    const int HoverEntry = ListView1->entryAt(position);
    const int dragged = ListView1->positionOf(drag.DragEntry);  // 0 once that entry has left the list
    if (HoverEntry == 0 || dragged == 0) return;
    const QString draggedText = ListView1->entryText(dragged);
    const QString hoverText = ListView1->entryText(HoverEntry);
    if (hoverText == draggedText) return;
    ListView1->setEntryText(dragged, hoverText);
    ListView1->setEntryText(HoverEntry, draggedText);
    ListView1->selectEntry(HoverEntry);
    drag.DragEntry = ListView1->entryHandle(HoverEntry);
    // The thresholds are screen rows, not distances from the list's edges.
    const int y = drag.GetCursorPos().y();
    if (y < ScrollUpBelowY && HoverEntry >= 2) ListView1->scrollToEntry(HoverEntry - 1);
    else if (y > ScrollDownAboveY && HoverEntry + 1 <= ListView1->count()) ListView1->scrollToEntry(HoverEntry + 1);
}

// The list shows the window's pointer again: the arrow, or the hourglass while the window is busy.
void Form1::ListView1_MouseUp(Qt::MouseButton, const QPoint&) {
    drag.DraggingInList = false;
    ListView1->unsetCursor();
}
