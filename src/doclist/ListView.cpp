#include "ListView.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/RuntimeError.h"

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setColumnCount(0);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setMouseTracking(true);
}

void ListView::dragEnterEvent(QDragEnterEvent* event) {
    QDragMoveEvent& move = *event;
    dragMoveEvent(&move);
}

void ListView::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
    emit OLEDragOver(event);
}

void ListView::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    emit OLEDragDrop(event);
}

void ListView::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) emit ItemClick(item);
    emit MouseDown(event->button(), event->position().toPoint());
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->position().toPoint());
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers());
    QTreeWidget::keyPressEvent(event);
}

QString ListView::entryText(int position) const {
    if (position < 1 || position > count()) throw Err::subscriptOutOfRange();
    return entry(position)->text(0);
}

void AppendEntry(ListView* list, const QString& text) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    list->addTopLevelItem(item);
}
