#include "EntryModel.h"

int EntryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : size(); }

int EntryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(captions_.size()); }

QVariant EntryModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0) return {};
    return texts_[index.row()];
}

QVariant EntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= captions_.size())
        return {};
    return captions_[section];
}

// Entries are neither edited in place nor dragged out, and a flat list tells its view so.
Qt::ItemFlags EntryModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void EntryModel::setCaptions(const QStringList& captions) {
    if (captions.size() == captions_.size()) {
        captions_ = captions;
        if (!captions_.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, int(captions_.size()) - 1);
        return;
    }
    if (!captions_.isEmpty()) {
        beginRemoveColumns({}, 0, int(captions_.size()) - 1);
        captions_.clear();
        endRemoveColumns();
    }
    if (!captions.isEmpty()) {
        beginInsertColumns({}, 0, int(captions.size()) - 1);
        captions_ = captions;
        endInsertColumns();
    }
}

void EntryModel::append(const QString& text) { insert(size(), text); }

void EntryModel::insert(int row, const QString& text) {
    beginInsertRows({}, row, row);
    texts_.insert(row, text);
    endInsertRows();
}

void EntryModel::remove(int row) {
    beginRemoveRows({}, row, row);
    texts_.removeAt(row);
    endRemoveRows();
}

void EntryModel::setText(int row, const QString& text) {
    texts_[row] = text;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void EntryModel::clear() {
    beginResetModel();
    texts_.clear();
    endResetModel();
}
