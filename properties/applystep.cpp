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
    if (m_copy)
        node.AssignData(*m_copy);
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
