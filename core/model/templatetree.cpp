#include "core/model/templatetree.h"

#include <algorithm>

cTreeItem::~cTreeItem() {
    // Children leave before their parent, one level at a time on an explicit stack, so that
    // no destructor runs inside another however deep the subtree.
    std::vector<std::unique_ptr<cTreeItem>> pending = std::move(children);
    while (!pending.empty()) {
        cTreeItem* top = pending.back().get();
        if (!top->children.empty()) {
            pending.push_back(std::move(top->children.back()));
            top->children.pop_back();
            continue;
        }
        pending.pop_back();
    }
}

cTemplateTree::cTemplateTree(cTreeOwner* owner)
    : m_root(std::make_unique<cTreeItem>()), m_owner(owner) {}

cTemplateTree::~cTemplateTree() {
    Clear();
}

cTreeItem* cTemplateTree::InsertFirst(cTreeItem* parent, Text label, int stateImage,
                                      std::unique_ptr<cData> node) {
    return Insert(parent ? parent : m_root.get(), 0, std::move(label), stateImage, std::move(node));
}

cTreeItem* cTemplateTree::InsertLast(cTreeItem* parent, Text label, int stateImage,
                                     std::unique_ptr<cData> node) {
    cTreeItem* p = parent ? parent : m_root.get();
    return Insert(p, p->children.size(), std::move(label), stateImage, std::move(node));
}

cTreeItem* cTemplateTree::InsertAfter(cTreeItem* parent, cTreeItem* sibling, Text label,
                                      int stateImage, std::unique_ptr<cData> node) {
    cTreeItem* p = parent ? parent : m_root.get();
    size_t row = sibling && sibling->parent == p ? sibling->row + 1 : p->children.size();
    return Insert(p, row, std::move(label), stateImage, std::move(node));
}

cTreeItem* cTemplateTree::Insert(cTreeItem* parent, size_t row, Text label, int stateImage,
                                 std::unique_ptr<cData> node) {
    auto owned = std::make_unique<cTreeItem>();
    owned->label = std::move(label);
    owned->stateImage = stateImage;
    owned->node = std::move(node);
    return InsertItem(parent == m_root.get() ? nullptr : parent, row, std::move(owned));
}

void cTemplateTree::AddListener(cTreeListener* listener) {
    if (listener &&
        std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void cTemplateTree::RemoveListener(cTreeListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

cTreeItem* cTemplateTree::InsertItem(cTreeItem* parent, size_t row,
                                     std::unique_ptr<cTreeItem> owned) {
    if (!owned)
        return nullptr;
    cTreeItem* p = parent ? parent : m_root.get();
    row = std::min(row, p->children.size());
    for (cTreeListener* listener : std::vector<cTreeListener*>(m_listeners))
        listener->ItemAboutToBeInserted(parent, int(row));
    cTreeItem* item = owned.get();
    item->parent = p;
    p->children.insert(p->children.begin() + std::ptrdiff_t(row), std::move(owned));
    Renumber(p, row);
    ForEachInSubtree(item, [this](cTreeItem* at) {
        ++m_count;
        if (at->node)
            at->node->Attach(this, at);
    });
    for (cTreeListener* listener : std::vector<cTreeListener*>(m_listeners))
        listener->ItemInserted(item);
    return item;
}

void cTemplateTree::Renumber(cTreeItem* parent, size_t from) {
    for (size_t i = from; i < parent->children.size(); ++i)
        parent->children[i]->row = i;
}

cTreeItem* cTemplateTree::ParentOf(const cTreeItem* item) const {
    if (!item || item->parent == m_root.get())
        return nullptr;
    return item->parent;
}

cTreeItem* cTemplateTree::FirstChildOf(const cTreeItem* item) const {
    const cTreeItem* p = item ? item : m_root.get();
    return p->children.empty() ? nullptr : p->children.front().get();
}

cTreeItem* cTemplateTree::NextSiblingOf(const cTreeItem* item) const {
    if (!item || !item->parent)
        return nullptr;
    const auto& siblings = item->parent->children;
    return item->row + 1 < siblings.size() ? siblings[item->row + 1].get() : nullptr;
}

cTreeItem* cTemplateTree::FirstRootItem() const {
    return FirstChildOf(nullptr);
}

cTreeItem* cTemplateTree::NextPreOrder(const cTreeItem* item) const {
    if (!item)
        return nullptr;
    if (!item->children.empty())
        return item->children.front().get();
    while (item && item != m_root.get()) {
        if (cTreeItem* next = NextSiblingOf(item))
            return next;
        item = item->parent;
    }
    return nullptr;
}

int cTemplateTree::DepthOf(const cTreeItem* item) const {
    int depth = -1;
    for (; item && item != m_root.get(); item = item->parent)
        ++depth;
    return depth;
}

bool cTemplateTree::IsSelfOrAncestor(const cTreeItem* a, const cTreeItem* b) const {
    for (; b && b != m_root.get(); b = b->parent)
        if (a == b)
            return true;
    return false;
}

void cTemplateTree::SetItemText(cTreeItem* item, Text label) {
    if (!item)
        return;
    item->label = std::move(label);
    for (cTreeListener* listener : m_listeners)
        listener->ItemChanged(item);
}

void cTemplateTree::SetStateImage(cTreeItem* item, int stateImage) {
    if (!item || item->stateImage == stateImage)
        return;
    item->stateImage = stateImage;
    for (cTreeListener* listener : m_listeners)
        listener->ItemChanged(item);
}

Text cTemplateTree::DisplayLabel(TextView text) const {
    return m_owner ? m_owner->ResolveText(text) : Text(text);
}

std::unique_ptr<cTreeItem> cTemplateTree::TakeItem(cTreeItem* item) {
    if (!item || item == m_root.get() || !item->parent)
        return nullptr;
    cTreeItem* parent = item->parent;
    cTreeItem* shownParent = parent == m_root.get() ? nullptr : parent;
    size_t row = item->row;
    // A copy: a listener may take itself off while it is told.
    const std::vector<cTreeListener*> listeners = m_listeners;
    for (cTreeListener* listener : listeners)
        listener->ItemAboutToBeRemoved(item);
    ForEachInSubtree(item, [&](cTreeItem* at) {
        for (cTreeListener* listener : listeners)
            listener->ItemLeaving(at);
    });

    std::unique_ptr<cTreeItem> taken = std::move(parent->children[row]);
    parent->children.erase(parent->children.begin() + std::ptrdiff_t(row));
    Renumber(parent, row);
    taken->parent = nullptr;
    taken->row = 0;
    // The nodes stay with their items but belong to no template until put back.
    ForEachInSubtree(taken.get(), [this](cTreeItem* at) {
        --m_count;
        if (at->node) {
            at->node->ownerView = nullptr;
            at->node->treeView = nullptr;
        }
    });
    for (cTreeListener* listener : listeners)
        listener->ItemRemoved(shownParent, int(row));
    return taken;
}

void cTemplateTree::DeleteItem(cTreeItem* item) {
    // Destroyed here, once out of the tree; the item's destructor needs no recursion.
    TakeItem(item);
}

void cTemplateTree::NotifyPartLeaving(cObjPolPart* part) {
    for (cTreeListener* listener : std::vector<cTreeListener*>(m_listeners))
        listener->PartLeaving(part);
}

void cTemplateTree::NotifyDataChanged(cTreeItem* item, cData* node) {
    for (cTreeListener* listener : std::vector<cTreeListener*>(m_listeners))
        listener->NodeDataChanged(item, node);
}

void cTemplateTree::Clear() {
    while (!m_root->children.empty())
        DeleteItem(m_root->children.back().get());
}
