#pragma once
#include <QAbstractTableModel>
#include <QStringList>

// The entries of the document list: one text each and nothing else, in print order. Rows count
// from 0 here; the list speaks in positions from 1. The view is told of every change as it
// happens, so indexes kept by others (the drag's entry) move with their entries or become invalid.
class EntryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int size() const { return int(texts_.size()); }
    const QString& text(int row) const { return texts_[row]; }
    void setCaptions(const QStringList& captions);
    void append(const QString& text);
    void insert(int row, const QString& text);
    void remove(int row);
    void setText(int row, const QString& text);
    void clear();

private:
    QList<QString> texts_;
    QStringList captions_;
};
