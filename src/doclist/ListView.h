#pragma once
#include <QTreeWidget>

// The document list control: a one-column report list whose entries are document paths.
// It reports the events the main window handles under the program's own handler names.
class ListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    int count() const { return topLevelItemCount(); }
    // Positions run from 1.
    QTreeWidgetItem* entry(int position) const { return topLevelItem(position - 1); }
    int positionOf(QTreeWidgetItem* item) const { return indexOfTopLevelItem(item) + 1; }
    // The text of the entry at a position. Throws Err::subscriptOutOfRange() past the ends.
    QString entryText(int position) const;

signals:
    void OLEDragOver(QDragMoveEvent* event);
    void OLEDragDrop(QDropEvent* event);
    void ItemClick(QTreeWidgetItem* item);
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
};

// The one way to add a document: a new last entry with this text and nothing else.
void AppendEntry(ListView* list, const QString& text);
