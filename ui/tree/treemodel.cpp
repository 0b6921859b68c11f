#include "ui/tree/treemodel.h"

#include <QApplication>
#include <QString>
#include <QStyle>

#include "core/model/nodeobjects.h"

cTreeModel::cTreeModel(cTemplateTree& tree, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree) {
    m_tree.AddListener(this);
}

cTreeModel::~cTreeModel() {
    m_tree.RemoveListener(this);
}

cTreeItem* cTreeModel::ItemFromIndex(const QModelIndex& index) const {
    return index.isValid() ? static_cast<cTreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex cTreeModel::IndexFromItem(const cTreeItem* item) const {
    if (!item || item == m_tree.Root())
        return {};
    return createIndex(item->Row(), 0, const_cast<cTreeItem*>(item));
}

QPixmap cTreeModel::StateImage(int stateImage) {
    // Loaded once: the tree asks for them on every paint.
    static const std::array<QPixmap, 4> pictures = {
        QPixmap(),
        QPixmap(QStringLiteral(":/tree/closedbook.png")),
        QPixmap(QStringLiteral(":/tree/openbook.png")),
        QPixmap(QStringLiteral(":/tree/page.png")),
    };
    return stateImage > 0 && stateImage < int(pictures.size()) ? pictures[size_t(stateImage)]
                                                               : QPixmap();
}

QModelIndex cTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const cTreeItem* parentItem = parent.isValid() ? ItemFromIndex(parent) : m_tree.Root();
    if (size_t(row) >= parentItem->children.size())
        return {};
    return createIndex(row, 0, parentItem->children[size_t(row)].get());
}

QModelIndex cTreeModel::parent(const QModelIndex& child) const {
    const cTreeItem* item = ItemFromIndex(child);
    return item ? IndexFromItem(item->parent) : QModelIndex();
}

int cTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const cTreeItem* item = parent.isValid() ? ItemFromIndex(parent) : m_tree.Root();
    return int(item->children.size());
}

int cTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant cTreeModel::data(const QModelIndex& index, int role) const {
    const cTreeItem* item = ItemFromIndex(index);
    if (!item)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdU16String(item->label);
        case Qt::ToolTipRole: {
            const Text fault = item->node ? AdmxNodeFault(*item->node, item->label) : Text();
            return QString::fromStdU16String(fault.empty() ? item->label
                                                           : item->label + u"\n\n" + fault);
        }
        case Qt::DecorationRole: {
            // A node to mend wears the warning mark instead of its picture.
            if (item->node && !AdmxNodeFault(*item->node, item->label).empty())
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            QPixmap picture = StateImage(item->stateImage);
            return picture.isNull() ? QVariant() : QVariant(picture);
        }
        default:
            return {};
    }
}

Qt::ItemFlags cTreeModel::flags(const QModelIndex& index) const {
    // Labels change only through the property sheet and the string table; the structure only
    // through the reader and the Policy and Edit commands.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void cTreeModel::ItemAboutToBeInserted(cTreeItem* parent, int row) {
    beginInsertRows(IndexFromItem(parent), row, row);
}

void cTreeModel::ItemInserted(cTreeItem*) {
    endInsertRows();
}

void cTreeModel::ItemAboutToBeRemoved(cTreeItem* item) {
    emit itemAboutToBeRemoved(item);
    beginRemoveRows(IndexFromItem(item->parent), item->Row(), item->Row());
}

void cTreeModel::ItemRemoved(cTreeItem*, int) {
    endRemoveRows();
}

void cTreeModel::ItemChanged(cTreeItem* item) {
    QModelIndex index = IndexFromItem(item);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::ToolTipRole, Qt::DecorationRole});
}
