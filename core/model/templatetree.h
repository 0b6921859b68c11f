#pragma once

#include <memory>
#include <vector>

#include "core/model/nodedata.h"
#include "core/text/text.h"

class cTemplateTree;
class cObjPolPart;

// State images of tree items.
enum : int {
    kImageNone = 0,
    kImageClosedBook = 1,
    kImageOpenBook = 2,
    kImagePage = 3,
};

// One item of a template tree: a label, a state image and the node object it owns. An item
// taken out of its tree keeps its subtree and is owned by whoever took it.
struct cTreeItem {
    cTreeItem() = default;
    cTreeItem(const cTreeItem&) = delete;
    cTreeItem& operator=(const cTreeItem&) = delete;
    // Destroys the subtree without recursion, however deep it is.
    ~cTreeItem();

    Text label;
    int stateImage = kImageNone;
    std::unique_ptr<cData> node;
    cTreeItem* parent = nullptr;  // Not owned; the hidden root for top-level items.
    std::vector<std::unique_ptr<cTreeItem>> children;
    size_t row = 0;  // index in parent->children; parent is null once taken out

    int Row() const { return int(row); }
};

// What a tree needs of the template it belongs to.
class cTreeOwner {
public:
    virtual ~cTreeOwner() = default;
    virtual void SetModifiedFlag(int flag) = 0;
    // Shows a "!!name" reference as its display string; any other text unchanged.
    virtual Text ResolveText(TextView text) const = 0;
    // Whether policies stand under class nodes (ADM), or hold their class themselves and the
    // tree has none (ADMX).
    virtual bool HasClassNodes() const { return true; }
};

// Learns of every change of a tree: the views mirror it, the edit rules (edit/editrules.h)
// do what a node leaving or changing implies. A tree has any number of listeners.
class cTreeListener {
public:
    virtual ~cTreeListener() = default;
    // parent is null for the top level. An inserted item may bring its subtree along.
    virtual void ItemAboutToBeInserted(cTreeItem* parent, int row) { (void)parent, (void)row; }
    virtual void ItemInserted(cTreeItem* item) { (void)item; }
    virtual void ItemAboutToBeRemoved(cTreeItem* item) { (void)item; }
    virtual void ItemRemoved(cTreeItem* parent, int row) { (void)parent, (void)row; }
    // Label or state image.
    virtual void ItemChanged(cTreeItem* item) { (void)item; }
    // Called for the item and every item below it while they are still in the tree, after
    // ItemAboutToBeRemoved, whether they are destroyed or kept to be put back.
    virtual void ItemLeaving(cTreeItem* item) { (void)item; }
    // A part is about to leave its policy (whose item is in this tree).
    virtual void PartLeaving(cObjPolPart* part) { (void)part; }
    // An edit changed the data of node, which is item's node or a part of its policy, or
    // the policy's part list.
    virtual void NodeDataChanged(cTreeItem* item, cData* node) { (void)item, (void)node; }
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
    void AddListener(cTreeListener* listener);
    void RemoveListener(cTreeListener* listener);

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

    // Takes the item with its subtree out of the tree and hands it over; the listeners see
    // every item leave. Null for no item or the root.
    std::unique_ptr<cTreeItem> TakeItem(cTreeItem* item);
    // Puts an item taken out of a tree (or a fresh subtree) under parent (null: top level)
    // at row (clamped to the end), attaching every node below it to this tree.
    cTreeItem* InsertItem(cTreeItem* parent, size_t row, std::unique_ptr<cTreeItem> item);
    // Deletes the item and its whole subtree: taken out, then destroyed.
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

    // Pre-order walk of item and everything below it, without recursion.
    template <typename F>
    static void ForEachInSubtree(cTreeItem* item, F&& visit) {
        for (cTreeItem* at = item; at;) {
            visit(at);
            if (!at->children.empty()) {
                at = at->children.front().get();
                continue;
            }
            while (at != item && at->row + 1 >= at->parent->children.size())
                at = at->parent;
            at = at == item ? nullptr : at->parent->children[at->row + 1].get();
        }
    }

    // Tell the listeners about edits made outside the tree's own operations.
    void NotifyPartLeaving(cObjPolPart* part);
    void NotifyDataChanged(cTreeItem* item, cData* node);

private:
    cTreeItem* Insert(cTreeItem* parent, size_t row, Text label, int stateImage,
                      std::unique_ptr<cData> node);
    void Renumber(cTreeItem* parent, size_t from);

    std::unique_ptr<cTreeItem> m_root;
    cTreeOwner* m_owner;                      // Not owned.
    std::vector<cTreeListener*> m_listeners;  // Not owned.
    size_t m_count = 0;
};
