#pragma once

#include <QAbstractItemModel>
#include <QPixmap>
#include <array>

#include "core/model/templatetree.h"

// A thin item model over one template tree. The tree stays the only store: the model holds
// no copy of it, and mirrors every change the tree announces.
class cTreeModel : public QAbstractItemModel, private cTreeListener {
    Q_OBJECT
public:
    explicit cTreeModel(cTemplateTree& tree, QObject* parent = nullptr);
    ~cTreeModel() override;

    cTemplateTree& Tree() const { return m_tree; }
    // Null for an invalid index.
    cTreeItem* ItemFromIndex(const QModelIndex& index) const;
    // Invalid for null and for the hidden root.
    QModelIndex IndexFromItem(const cTreeItem* item) const;
    // The picture of a state image, null for none.
    static QPixmap StateImage(int stateImage);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // An item and its subtree are about to leave the tree; nothing has changed yet.
    void itemAboutToBeRemoved(cTreeItem* item);
    // An edit changed node's data or part list; node is item's node or one of its parts.
    void nodeDataChanged(cTreeItem* item, cData* node);

private:
    void ItemAboutToBeInserted(cTreeItem* parent, int row) override;
    void ItemInserted(cTreeItem* item) override;
    void ItemAboutToBeRemoved(cTreeItem* item) override;
    void ItemRemoved(cTreeItem* parent, int row) override;
    void ItemChanged(cTreeItem* item) override;
    void NodeDataChanged(cTreeItem* item, cData* node) override {
        emit nodeDataChanged(item, node);
    }

    cTemplateTree& m_tree;
};
