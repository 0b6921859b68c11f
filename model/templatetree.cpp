#include "model/templatetree.h"

#include "model/nodeobjects.h"
#include "model/seams.h"

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
    if (m_listener)
        m_listener->ItemAboutToBeInserted(parent == m_root.get() ? nullptr : parent, int(row));
    auto owned = std::make_unique<cTreeItem>();
    cTreeItem* item = owned.get();
    item->label = std::move(label);
    item->stateImage = stateImage;
    item->parent = parent;
    item->node = std::move(node);
    parent->children.insert(parent->children.begin() + std::ptrdiff_t(row), std::move(owned));
    Renumber(parent, row);
    ++m_count;
    if (item->node)
        item->node->Attach(this, item);
    if (m_listener)
        m_listener->ItemInserted(item);
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
    if (m_listener)
        m_listener->ItemChanged(item);
}

void cTemplateTree::SetStateImage(cTreeItem* item, int stateImage) {
    if (!item || item->stateImage == stateImage)
        return;
    item->stateImage = stateImage;
    if (m_listener)
        m_listener->ItemChanged(item);
}

Text cTemplateTree::DisplayLabel(TextView text) const {
    return m_owner ? m_owner->ResolveText(text) : Text(text);
}

void cTemplateTree::LeaveTree(cTreeItem* item) {
    if (m_owner)
        m_owner->SetModifiedFlag(1);
    if (item->node) {
        if (cCtrlList* ctrl = CtrlOf(item->node.get()))
            ctrl->DestroyPanel();
        item->node.reset();
    }
    cCopyReference& copy = SharedState().copy;
    if (copy.item == item && copy.view == this) {
        copy.item = nullptr;
        copy.view = nullptr;
    }
    --m_count;
}

void cTemplateTree::DeleteItem(cTreeItem* item) {
    if (!item || item == m_root.get() || !item->parent)
        return;
    cTreeItem* parent = item->parent;
    size_t row = item->row;
    if (m_listener)
        m_listener->ItemAboutToBeRemoved(item);

    std::unique_ptr<cTreeItem> detached = std::move(parent->children[row]);
    parent->children.erase(parent->children.begin() + std::ptrdiff_t(row));
    Renumber(parent, row);

    // Post-order without recursion: children leave before their parent, and no item is
    // destroyed while its subtree still hangs below it, however deep the tree.
    std::vector<std::unique_ptr<cTreeItem>> stack;
    stack.push_back(std::move(detached));
    while (!stack.empty()) {
        cTreeItem* top = stack.back().get();
        if (!top->children.empty()) {
            stack.push_back(std::move(top->children.back()));
            top->children.pop_back();
            continue;
        }
        LeaveTree(top);
        stack.pop_back();
    }
    if (m_listener)
        m_listener->ItemRemoved(parent == m_root.get() ? nullptr : parent, int(row));
}

void cTemplateTree::Clear() {
    while (!m_root->children.empty())
        DeleteItem(m_root->children.back().get());
}
