#pragma once
#include <QPersistentModelIndex>
#include <QTreeView>

#include "EntryModel.h"

// The document list control: a one-column report list whose entries are document paths, the
// only store of the list. Positions run from 1. It reports the events the main window handles
// under the program's own handler names.
class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // The column captions; the main window's start-up gives the list its one column.
    void setHeaderLabels(const QStringList& captions);
    int columnCount() const { return entries_.columnCount(); }

    int count() const { return entries_.size(); }
    // The text of the entry at a position. Throws Err::subscriptOutOfRange() past the ends.
    QString entryText(int position) const;
    // A new entry at a position from 1 to count() + 1 (the latter appends).
    void insertEntry(int position, const QString& text);
    void removeEntry(int position);
    void setEntryText(int position, const QString& text);
    void clear();

    // The current entry is the selected one; 0 when none is selected.
    int currentPosition() const;
    void selectEntry(int position);
    void scrollToEntry(int position);
    // The entry under a point of the list's area (the coordinates its mouse events carry); 0 for none.
    int entryAt(const QPoint& point) const;
    // A handle that follows its entry while others move, and is invalid once the entry is gone.
    QPersistentModelIndex entryHandle(int position) const;
    // The position of a handle's entry; 0 when it is no longer in the list.
    int positionOf(const QModelIndex& handle) const;

    friend void AppendEntry(ListView* list, const QString& text);

signals:
    void OLEDragOver(QDragMoveEvent* event);
    void OLEDragDrop(QDropEvent* event);
    void ItemClick(const QModelIndex& entry);
    void MouseDown(Qt::MouseButton button, const QPoint& position);
    void MouseMove(Qt::MouseButtons buttons, const QPoint& position);
    void MouseUp(Qt::MouseButton button, const QPoint& position);
    void KeyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    void DblClick();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void checkPosition(int position, int last) const;
    EntryModel entries_;
};

// The one way to add a document: a new last entry with this text and nothing else; the list
// neither selects nor scrolls to it.
void AppendEntry(ListView* list, const QString& text);
// True when some entry's text equals text exactly (a path helper of the list's).
bool ListContains(const ListView* list, const QString& text);
