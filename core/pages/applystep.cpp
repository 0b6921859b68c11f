#include "core/pages/applystep.h"

#include "core/document/document.h"

#include "core/model/nodeobjects.h"
#include "core/model/seams.h"
#include "core/model/templatetree.h"

bool cNodeDataSnapshot::Supports(const cData& node) {
    return node.kind == kKindClass || node.kind == kKindCategory || node.kind == kKindPolicy ||
           node.kind == kKindVersion || node.kind == kKindPart;
}

cNodeDataSnapshot::cNodeDataSnapshot(const cData& node) : m_copy(CopyNodeData(node)) {}

void cNodeDataSnapshot::RestoreInto(cData& node) const {
    if (m_copy)
        node.AssignData(*m_copy);
}

void MarkTemplateModified(cData& node) {
    if (cObjPolPart* part = node.GetPartObject())
        part->SetModified(1);
    else
        node.MarkModified(1);
}

cApplyPropertiesStep::cApplyPropertiesStep(cData& node)
    : cNodeDataStep(ApplyStepText(node), node, CopyNodeData(node), nullptr),
      m_tree(TreeOfNode(node)) {}

void cApplyPropertiesStep::Finish(const cData& node) {
    SetAfter(CopyNodeData(node));
    // Named as the node is called now: a new policy renamed by this apply is not "<new>".
    SetLabel(ApplyStepText(node));
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
    return u"Apply properties of " + ShownName(node);
}

namespace {

// Writes both lists into data, a policy or a check box; false for any other node.
bool WriteActionLists(cData& data, cActionList on, cActionList off) {
    auto write = [&](auto& node) {
        node.actionListOn = std::move(on);
        node.actionListOff = std::move(off);
        return true;
    };
    if (auto* policy = dynamic_cast<cPolicy*>(&data))
        return write(*policy);
    if (auto* box = dynamic_cast<cPolPartCheckBox*>(&data))
        return write(*box);
    return false;
}

}  // namespace

bool ReplaceActionLists(cData& node, cActionList on, cActionList off) {
    std::unique_ptr<cData> after = CopyNodeData(node);
    if (!after || !WriteActionLists(*after, std::move(on), std::move(off)))
        return false;
    cTemplateTree* tree = TreeOfNode(node);
    auto* doc = tree ? dynamic_cast<CPelwinDoc*>(tree->Owner()) : nullptr;
    if (!doc) {
        node.AssignData(*after);
        MarkTemplateModified(node);
        return true;
    }
    Text label = u"Edit action lists of " + ShownName(node);
    return PerformStep(*doc, std::make_unique<cNodeDataStep>(std::move(label), node,
                                                             CopyNodeData(node), std::move(after)));
}
