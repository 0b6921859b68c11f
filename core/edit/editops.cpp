#include "core/edit/editops.h"

#include <algorithm>

#include "core/document/document.h"

cTreePath cTreePath::Of(const cTreeItem* item) {
    cTreePath path;
    for (; item && item->parent; item = item->parent)
        path.rows.push_back(item->row);
    std::reverse(path.rows.begin(), path.rows.end());
    return path;
}

cTreeItem* cTreePath::FindItem(const cTemplateTree& tree) const {
    cTreeItem* item = tree.Root();
    for (size_t row : rows) {
        if (row >= item->children.size())
            return nullptr;
        item = item->children[row].get();
    }
    return item;
}

cData* cTreePath::Find(const cTemplateTree& tree) const {
    cTreeItem* item = FindItem(tree);
    return item && item != tree.Root() ? item->node.get() : nullptr;
}

cTreeItem* cTreePath::FindNearest(const cTemplateTree& tree) const {
    cTreeItem* item = tree.Root();
    for (size_t row : rows) {
        if (row >= item->children.size())
            break;
        item = item->children[row].get();
    }
    return item == tree.Root() ? nullptr : item;
}

cTreePath cTreePath::Parent() const {
    cTreePath parent = *this;
    if (!parent.rows.empty())
        parent.rows.pop_back();
    return parent;
}

cOwnedItem TakeItem(cTemplateTree& tree, cTreeItem* item) {
    return tree.TakeItem(item);
}

cTreeItem* InsertItem(cTemplateTree& tree, cTreeItem* parent, size_t row, cOwnedItem item) {
    cTreeItem* inserted = tree.InsertItem(parent, row, std::move(item));
    if (inserted && tree.Owner())
        tree.Owner()->SetModifiedFlag(1);
    return inserted;
}

cOwnedItem CloneSubtree(const cTreeItem& source) {
    auto copyOf = [](const cTreeItem& item) {
        auto copy = std::make_unique<cTreeItem>();
        copy->label = item.label;
        copy->stateImage = item.stateImage;
        if (item.node)
            copy->node = item.node->Clone();
        return copy;
    };
    cOwnedItem root = copyOf(source);
    // Pairs of (source item, its copy) whose children are still to be copied.
    std::vector<std::pair<const cTreeItem*, cTreeItem*>> pending{{&source, root.get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        to->children.reserve(from->children.size());
        for (const auto& child : from->children) {
            cOwnedItem copy = copyOf(*child);
            copy->parent = to;
            copy->row = to->children.size();
            pending.emplace_back(child.get(), copy.get());
            to->children.push_back(std::move(copy));
        }
    }
    return root;
}

cTreeItem* ItemOfNode(const cData& node) {
    if (node.kind == kKindPart) {
        const auto* part = dynamic_cast<const cObjPolPart*>(&node);
        return part && part->Policy() ? part->Policy()->treeItem : nullptr;
    }
    return node.treeItem;
}

std::unique_ptr<cData> CopyNodeData(const cData& node) {
    if (node.kind == kKindPart) {
        const auto* part = dynamic_cast<const cObjPolPart*>(&node);
        if (!part)
            return nullptr;
        return part->ClonePart(nullptr);
    }
    return node.Clone();
}

cTemplateTree* TreeOfNode(const cData& node) {
    if (node.kind == kKindPart) {
        const auto* part = dynamic_cast<const cObjPolPart*>(&node);
        return part && part->Policy() ? part->Policy()->ownerView : nullptr;
    }
    return node.ownerView;
}

Text ShownName(const cData& node) {
    Text name;
    switch (node.kind) {
        case kKindClass:
            name = static_cast<const cPolClass&>(node).className;
            break;
        case kKindCategory:
            name = static_cast<const cCategory&>(node).name;
            break;
        case kKindPolicy:
            name = static_cast<const cPolicy&>(node).name;
            break;
        case kKindVersion:
            name = static_cast<const cPolVersion&>(node).label;
            break;
        case kKindPart:
            name = static_cast<const cPolicyPart&>(node).name;
            break;
        default:
            break;
    }
    const cTemplateTree* tree = TreeOfNode(node);
    return tree ? tree->DisplayLabel(name) : name;
}

bool SetNodeData(cData& node, const cData& value) {
    if (!node.AssignData(value))
        return false;
    node.UpdateDisplay();
    if (cTemplateTree* tree = TreeOfNode(node))
        tree->NotifyDataChanged(ItemOfNode(node), &node);
    return true;
}

std::unique_ptr<cObjPolPart> TakePart(cObjPolicy& policy, size_t index) {
    if (index >= policy.Parts().size())
        return nullptr;
    if (policy.ownerView)
        policy.ownerView->NotifyPartLeaving(policy.Parts()[index].get());
    std::unique_ptr<cObjPolPart> part = policy.TakePart(index);
    if (policy.ownerView)
        policy.ownerView->NotifyDataChanged(policy.treeItem, &policy);
    return part;
}

cObjPolPart* InsertPart(cObjPolicy& policy, size_t index, std::unique_ptr<cObjPolPart> part) {
    cObjPolPart* inserted = policy.InsertPart(index, std::move(part));
    if (inserted && policy.ownerView)
        policy.ownerView->NotifyDataChanged(policy.treeItem, &policy);
    return inserted;
}

cPartList SetPartList(cObjPolicy& policy, cPartList parts) {
    if (policy.ownerView)
        for (const auto& part : policy.Parts())
            policy.ownerView->NotifyPartLeaving(part.get());
    cPartList old = policy.ReplaceParts(std::move(parts));
    if (policy.ownerView)
        policy.ownerView->NotifyDataChanged(policy.treeItem, &policy);
    return old;
}

cStringMap SetStringTable(CPelwinDoc& doc, cStringMap strings) {
    std::swap(doc.Strings(), strings);
    doc.RefreshAllNodes();
    doc.SetModifiedFlag(1);
    return strings;
}
