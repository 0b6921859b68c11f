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
    : cNodeDataStep(ApplyStepText(node), node, CopyNodeData(node), nullptr),
      m_tree(node.treeView) {}

void cApplyPropertiesStep::Finish(const cData& node) {
    SetAfter(CopyNodeData(node));
}

void cApplyPropertiesStep::Undo() {
    if (m_tree)
        Write(*m_tree, Before());
}

void cApplyPropertiesStep::Redo() {
    if (m_tree)
        Write(*m_tree, After());
}

Text ApplyStepText(const cData& node) {
    Text name;
    if (auto* cls = dynamic_cast<const cPolClass*>(&node))
        name = cls->className;
    else if (auto* category = dynamic_cast<const cCategory*>(&node))
        name = category->name;
    else if (auto* policy = dynamic_cast<const cPolicy*>(&node))
        name = policy->name;
    else if (auto* version = dynamic_cast<const cPolVersion*>(&node))
        name = version->label;
    else if (auto* part = dynamic_cast<const cPolicyPart*>(&node))
        name = part->name;
    if (node.treeView)
        name = node.treeView->DisplayLabel(name);
    return u"Apply properties of " + name;
}
