#include "ListView.h"

#include <QMimeData>
#include <memory>

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/RuntimeError.h"

namespace {
const QString ToolTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal "
    "full names.");

// Arial 9 pt bold. The character set (204) has no meaning for Qt's Unicode fonts.
QFont listFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    font.setBold(true);
    return font;
}
}  // namespace

ListView::ListView(QWidget* parent) : QTreeView(parent), entries_(this) {
    setModel(&entries_);
    setFont(listFont());
    setToolTip(ToolTip);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);  // keeps the layout of 100,000 entries cheap
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Entries never leave the list by dragging; files from the file manager may come in.
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    viewport()->setAcceptDrops(true);  // the drag events arrive at the list's area, not at its frame
    setDropIndicatorShown(false);
    setMouseTracking(true);
    // The column keeps the width it is given; the user widens it by its divider to read long paths.
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

void ListView::setHeaderLabels(const QStringList& captions) { entries_.setCaptions(captions); }

void ListView::checkPosition(int position, int last) const {
    if (position < 1 || position > last) throw Err::subscriptOutOfRange();
}

QString ListView::entryText(int position) const {
    checkPosition(position, count());
    return entries_.text(position - 1);
}

void ListView::insertEntry(int position, const QString& text) {
    checkPosition(position, count() + 1);
    entries_.insert(position - 1, text);
}

void ListView::removeEntry(int position) {
    checkPosition(position, count());
    entries_.remove(position - 1);
}

void ListView::setEntryText(int position, const QString& text) {
    checkPosition(position, count());
    entries_.setText(position - 1, text);
}

void ListView::clear() { entries_.clear(); }

int ListView::currentPosition() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void ListView::selectEntry(int position) {
    checkPosition(position, count());
    selectionModel()->setCurrentIndex(entries_.index(position - 1, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::scrollToEntry(int position) {
    checkPosition(position, count());
    scrollTo(entries_.index(position - 1, 0));
}

int ListView::entryAt(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() + 1 : 0;
}

QPersistentModelIndex ListView::entryHandle(int position) const {
    checkPosition(position, count());
    return QPersistentModelIndex(entries_.index(position - 1, 0));
}

int ListView::positionOf(const QModelIndex& handle) const {
    return handle.isValid() && handle.model() == &entries_ ? handle.row() + 1 : 0;
}

void AppendEntry(ListView* list, const QString& text) { list->entries_.append(text); }

namespace {
// Whatever the file manager proposes, a drop here copies (or links): the list only reads the
// paths, and a move would have the file manager delete the files it dropped.
bool acceptWithoutMove(QDropEvent* event) {
    const Qt::DropActions possible = event->possibleActions();
    if (!(possible & (Qt::CopyAction | Qt::LinkAction))) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return false;
    }
    event->setDropAction(possible & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    event->accept();
    return true;
}
}  // namespace

// The drop handlers decide what the list takes; the list only passes the events on.
void ListView::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void ListView::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptWithoutMove(event)) emit OLEDragOver(event);
}

// The file manager waits until the drop has ended; a dropped folder's whole tree is scanned after
// that, from a copy of what was dropped, so the drag never hangs on the scan.
void ListView::dropEvent(QDropEvent* event) {
    if (!acceptWithoutMove(event)) return;
    auto data = std::make_shared<QMimeData>();
    for (const QString& format : event->mimeData()->formats()) data->setData(format, event->mimeData()->data(format));
    const QPointF position = event->position();
    const Qt::DropActions actions = event->possibleActions();
    const Qt::MouseButtons buttons = event->buttons();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    QMetaObject::invokeMethod(this, [this, data, position, actions, buttons, modifiers] {
        QDropEvent dropped(position, actions, data.get(), buttons, modifiers);
        emit OLEDragDrop(&dropped);
    }, Qt::QueuedConnection);
}

// A press on an entry makes it current and reports the click at once, so that one press and move
// drags the pressed entry.
void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid()) emit ItemClick(pressed);
    emit MouseDown(event->button(), event->position().toPoint());
}

// The handlers own what a move with the button held does; the view's own rule (the selection
// follows the pointer) would move the current entry without any swap.
void ListView::mouseMoveEvent(QMouseEvent* event) { emit MouseMove(event->buttons(), event->position().toPoint()); }

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers());
    QTreeView::keyPressEvent(event);
}

bool ListContains(const ListView* list, const QString& text) {
    for (int i = 1; i <= list->count(); ++i)
        if (list->entryText(i) == text) return true;
    return false;
}
