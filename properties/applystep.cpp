#include "properties/applystep.h"

#include "model/nodeobjects.h"
#include "model/seams.h"
#include "model/templatetree.h"

bool cNodeDataSnapshot::Supports(const cData& node) {
    return node.kind == kKindClass || node.kind == kKindCategory || node.kind == kKindPolicy ||
           node.kind == kKindVersion;
}

cNodeDataSnapshot::cNodeDataSnapshot(const cData& node) : m_copy(node.Clone()) {}

void cNodeDataSnapshot::RestoreInto(cData& node) const {
    if (!m_copy || m_copy->kind != node.kind)
        return;
    if (node.kind == kKindClass) {
        static_cast<cPolClass&>(node).className = static_cast<const cPolClass&>(*m_copy).className;
    } else if (node.kind == kKindCategory) {
        auto* to = static_cast<cCategory*>(&node);
        const auto& from = static_cast<const cCategory&>(*m_copy);
        to->name = from.name;
        to->keyName = from.keyName;
        to->useDefaultKey = from.useDefaultKey;
        to->explainText = from.explainText;
        to->explainFlag = from.explainFlag;
    } else if (node.kind == kKindPolicy) {
        auto* to = static_cast<cPolicy*>(&node);
        const auto& from = static_cast<const cPolicy&>(*m_copy);
        to->name = from.name;
        to->keyName = from.keyName;
        to->explainText = from.explainText;
        to->clientExt = from.clientExt;
        to->valueName = from.valueName;
        to->useDefaultKey = from.useDefaultKey;
        to->valueNameFlag = from.valueNameFlag;
        to->explainFlag = from.explainFlag;
        to->clientExtFlag = from.clientExtFlag;
        to->supportedText = from.supportedText;
        to->supportedFlag = from.supportedFlag;
        to->actionListOn = from.actionListOn;
        to->actionListOff = from.actionListOff;
        to->valueOff = from.valueOff;
        to->valueOn = from.valueOn;
    } else if (node.kind == kKindVersion) {
        auto* to = static_cast<cPolVersion*>(&node);
        const auto& from = static_cast<const cPolVersion&>(*m_copy);
        to->label = from.label;
        to->op = from.op;
        to->number = from.number;
    }
}

cTreePath cTreePath::Of(const cTreeItem* item) {
    cTreePath path;
    for (; item && item->parent; item = item->parent)
        path.rows.insert(path.rows.begin(), item->row);
    return path;
}

cData* cTreePath::Find(const cTemplateTree& tree) const {
    const cTreeItem* item = tree.Root();
    for (size_t row : rows) {
        if (row >= item->children.size())
            return nullptr;
        item = item->children[row].get();
    }
    return item == tree.Root() ? nullptr : item->node.get();
}

cApplyPropertiesStep::cApplyPropertiesStep(cData& node)
    : m_tree(node.treeView),
      m_path(cTreePath::Of(node.treeItem)),
      m_name(ApplyStepText(node)),
      m_before(std::make_unique<cNodeDataSnapshot>(node)) {}

void cApplyPropertiesStep::Finish(const cData& node) {
    m_after = std::make_unique<cNodeDataSnapshot>(node);
}

void cApplyPropertiesStep::Restore(const cNodeDataSnapshot& data) {
    cData* node = m_tree ? m_path.Find(*m_tree) : nullptr;
    if (!node)
        return;
    data.RestoreInto(*node);
    node->UpdateDisplay();
    node->MarkModified(1);
    if (cPropertySheetSeam* sheet = SharedState().sheet)
        sheet->NodeChanged(node);
}

Text ApplyStepText(const cData& node) {
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
    }
    if (node.treeView)
        name = node.treeView->DisplayLabel(name);
    return u"Apply properties of " + name;
}
