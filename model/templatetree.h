#pragma once

#include <memory>
#include <vector>

#include "app/text.h"
#include "model/nodedata.h"

class cTemplateTree;

// State images of tree items.
enum : int {
    kImageNone = 0,
    kImageClosedBook = 1,
    kImageOpenBook = 2,
    kImagePage = 3,
};

// One item of a template tree: a label, a state image and the node object it owns.
struct cTreeItem {
    Text label;
    int stateImage = kImageNone;
    std::unique_ptr<cData> node;
    cTreeItem* parent = nullptr;  // Not owned; the hidden root for top-level items.
    std::vector<std::unique_ptr<cTreeItem>> children;
    size_t row = 0;  // index in parent->children

    int Row() const { return int(row); }
};

// What a tree needs of the template it belongs to.
class cTreeOwner {
public:
    virtual ~cTreeOwner() = default;
    virtual void SetModifiedFlag(int flag) = 0;
    // Shows a "!!name" reference as its display string; any other text unchanged.
    virtual Text ResolveText(TextView text) const = 0;
};

// Mirrors every change of a tree, for a view.
class cTreeListener {
public:
    virtual ~cTreeListener() = default;
    // parent is null for the top level.
    virtual void ItemAboutToBeInserted(cTreeItem* parent, int row) = 0;
    virtual void ItemInserted(cTreeItem* item) = 0;
    virtual void ItemAboutToBeRemoved(cTreeItem* item) = 0;
    virtual void ItemRemoved(cTreeItem* parent, int row) = 0;
    virtual void ItemChanged(cTreeItem* item) = 0;
};

// The structure of one template. Parent, child and sibling order are the template's
// structure and order; every item owns its node.
class cTemplateTree {
public:
    explicit cTemplateTree(cTreeOwner* owner = nullptr);
    ~cTemplateTree();
    cTemplateTree(const cTemplateTree&) = delete;
    cTemplateTree& operator=(const cTemplateTree&) = delete;

    void SetOwner(cTreeOwner* owner) { m_owner = owner; }
    cTreeOwner* Owner() const { return m_owner; }
    void SetListener(cTreeListener* listener) { m_listener = listener; }

    // Insert an item under parent (null: top level) and attach the node to it.
    cTreeItem* InsertFirst(cTreeItem* parent, Text label, int stateImage,
                           std::unique_ptr<cData> node);
    cTreeItem* InsertLast(cTreeItem* parent, Text label, int stateImage,
                          std::unique_ptr<cData> node);
    // Directly after `sibling`, which must be a child of parent.
    cTreeItem* InsertAfter(cTreeItem* parent, cTreeItem* sibling, Text label, int stateImage,
                           std::unique_ptr<cData> node);

    cData* NodeOf(const cTreeItem* item) const { return item ? item->node.get() : nullptr; }
    cTreeItem* ParentOf(const cTreeItem* item) const;
    cTreeItem* FirstChildOf(const cTreeItem* item) const;
    cTreeItem* NextSiblingOf(const cTreeItem* item) const;
    cTreeItem* FirstRootItem() const;
    // The top-level items' invisible parent.
    cTreeItem* Root() const { return m_root.get(); }
    bool IsEmpty() const { return m_root->children.empty(); }
    size_t ItemCount() const { return m_count; }

    // True when a equals b or is found walking up from b.
    bool IsSelfOrAncestor(const cTreeItem* a, const cTreeItem* b) const;

    void SetItemText(cTreeItem* item, Text label);
    void SetStateImage(cTreeItem* item, int stateImage);
    // The label of a text: resolved through the owner's string table.
    Text DisplayLabel(TextView text) const;

    // Deletes the item and its whole subtree; every item that leaves marks the template
    // modified, destroys its node's panel and node, and clears a copy reference naming it.
    void DeleteItem(cTreeItem* item);
    // Deletes every item, as when the view is destroyed.
    void Clear();

    // Pre-order walk: an item, its children in order, then its next sibling.
    template <typename F>
    void ForEachPreOrder(F&& visit) const {
        cTreeItem* item = FirstRootItem();
        while (item) {
            visit(item);
            item = NextPreOrder(item);
        }
    }
    cTreeItem* NextPreOrder(const cTreeItem* item) const;
    // Depth of an item: 0 for top-level items.
    int DepthOf(const cTreeItem* item) const;

private:
    cTreeItem* Insert(cTreeItem* parent, size_t row, Text label, int stateImage,
                      std::unique_ptr<cData> node);
    void Renumber(cTreeItem* parent, size_t from);
    void LeaveTree(cTreeItem* item);

    std::unique_ptr<cTreeItem> m_root;
    cTreeOwner* m_owner;                  // Not owned.
    cTreeListener* m_listener = nullptr;  // Not owned.
    size_t m_count = 0;
};
