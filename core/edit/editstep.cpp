#include "core/edit/editstep.h"

#include "core/document/document.h"

// ---- Items -----------------------------------------------------------------------------

cItemPlacementStep::cItemPlacementStep(Text text, bool inserts, cTreePath path, cOwnedItem item)
    : cEditStep(std::move(text)),
      m_inserts(inserts),
      m_path(std::move(path)),
      m_held(std::move(item)) {}

std::unique_ptr<cItemPlacementStep> cItemPlacementStep::Insert(Text text, cTreePath parent,
                                                               size_t row, cOwnedItem item) {
    parent.rows.push_back(row);
    return std::unique_ptr<cItemPlacementStep>(
        new cItemPlacementStep(std::move(text), true, std::move(parent), std::move(item)));
}

std::unique_ptr<cItemPlacementStep> cItemPlacementStep::Take(Text text, cTreePath path) {
    return std::unique_ptr<cItemPlacementStep>(
        new cItemPlacementStep(std::move(text), false, std::move(path), nullptr));
}

bool cItemPlacementStep::Put(CPelwinDoc& doc) {
    if (!m_held || m_path.rows.empty())
        return false;
    cTemplateTree& tree = doc.Tree();
    cTreeItem* parent = m_path.Parent().FindItem(tree);
    size_t row = m_path.rows.back();
    if (!parent || row > parent->children.size())
        return false;
    InsertItem(tree, parent == tree.Root() ? nullptr : parent, row, std::move(m_held));
    m_touched = m_path;
    return true;
}

bool cItemPlacementStep::Remove(CPelwinDoc& doc) {
    cTemplateTree& tree = doc.Tree();
    cTreeItem* item = m_path.rows.empty() ? nullptr : m_path.FindItem(tree);
    if (!item || m_held)
        return false;
    m_held = TakeItem(tree, item);
    m_touched = m_path.Parent();
    return m_held != nullptr;
}

// ---- Node data -------------------------------------------------------------------------

cNodeDataStep::cNodeDataStep(Text text, const cData& node, std::unique_ptr<cData> before,
                             std::unique_ptr<cData> after)
    : cEditStep(std::move(text)),
      m_path(cTreePath::Of(ItemOfNode(node))),
      m_before(std::move(before)),
      m_after(std::move(after)) {
    if (node.kind == kKindPart)
        if (const auto* part = dynamic_cast<const cObjPolPart*>(&node); part && part->Policy())
            m_part = part->Policy()->IndexOfPart(part);
}

bool cNodeDataStep::Apply(CPelwinDoc& doc) {
    return Write(doc.Tree(), m_after.get());
}

bool cNodeDataStep::Revert(CPelwinDoc& doc) {
    return Write(doc.Tree(), m_before.get());
}

bool cNodeDataStep::Write(cTemplateTree& tree, const cData* data) {
    if (!data)
        return false;
    cData* node = m_path.Find(tree);
    if (node && m_part) {
        auto* policy = node->kind == kKindPolicy ? static_cast<cObjPolicy*>(node) : nullptr;
        node =
            policy && *m_part < policy->Parts().size() ? policy->Parts()[*m_part].get() : nullptr;
    }
    if (!node || !SetNodeData(*node, *data))
        return false;
    m_touched = m_path;
    return true;
}

// ---- Parts -----------------------------------------------------------------------------

namespace {

cObjPolicy* PolicyAt(const cTreePath& path, CPelwinDoc& doc) {
    cData* node = path.Find(doc.Tree());
    return node && node->kind == kKindPolicy ? static_cast<cObjPolicy*>(node) : nullptr;
}

}  // namespace

cPartPlacementStep::cPartPlacementStep(Text text, bool inserts, const cObjPolicy& policy,
                                       size_t index, std::unique_ptr<cObjPolPart> part)
    : cEditStep(std::move(text)),
      m_inserts(inserts),
      m_policy(cTreePath::Of(policy.treeItem)),
      m_index(index),
      m_held(std::move(part)) {}

std::unique_ptr<cPartPlacementStep> cPartPlacementStep::Insert(Text text, const cObjPolicy& policy,
                                                               size_t index,
                                                               std::unique_ptr<cObjPolPart> part) {
    return std::unique_ptr<cPartPlacementStep>(
        new cPartPlacementStep(std::move(text), true, policy, index, std::move(part)));
}

std::unique_ptr<cPartPlacementStep> cPartPlacementStep::Take(Text text, const cObjPolicy& policy,
                                                             size_t index) {
    return std::unique_ptr<cPartPlacementStep>(
        new cPartPlacementStep(std::move(text), false, policy, index, nullptr));
}

bool cPartPlacementStep::Put(CPelwinDoc& doc) {
    cObjPolicy* policy = PolicyAt(m_policy, doc);
    if (!policy || !m_held || m_index > policy->Parts().size())
        return false;
    InsertPart(*policy, m_index, std::move(m_held));
    m_touched = m_policy;
    return true;
}

bool cPartPlacementStep::Remove(CPelwinDoc& doc) {
    cObjPolicy* policy = PolicyAt(m_policy, doc);
    if (!policy || m_held || m_index >= policy->Parts().size())
        return false;
    m_held = TakePart(*policy, m_index);
    m_touched = m_policy;
    return true;
}

cPartListStep::cPartListStep(Text text, const cObjPolicy& policy, cPartList parts)
    : cEditStep(std::move(text)),
      m_policy(cTreePath::Of(policy.treeItem)),
      m_other(std::move(parts)) {}

bool cPartListStep::Swap(CPelwinDoc& doc) {
    cObjPolicy* policy = PolicyAt(m_policy, doc);
    if (!policy)
        return false;
    m_other = SetPartList(*policy, std::move(m_other));
    m_touched = m_policy;
    return true;
}

// ---- String table ----------------------------------------------------------------------

cStringTableStep::cStringTableStep(Text text, cStringMap strings)
    : cEditStep(std::move(text)), m_other(std::move(strings)) {}

bool cStringTableStep::Swap(CPelwinDoc& doc) {
    m_other = SetStringTable(doc, std::move(m_other));
    return true;
}

// ---- Compound --------------------------------------------------------------------------

bool cCompoundStep::Apply(CPelwinDoc& doc) {
    for (size_t done = 0; done < m_steps.size(); ++done) {
        if (!m_steps[done]->Apply(doc)) {
            while (done-- > 0)
                m_steps[done]->Revert(doc);
            return false;
        }
        m_touched = m_steps[done]->Touched();
    }
    return true;
}

bool cCompoundStep::Revert(CPelwinDoc& doc) {
    for (size_t left = m_steps.size(); left-- > 0;) {
        if (!m_steps[left]->Revert(doc)) {
            for (++left; left < m_steps.size(); ++left)
                m_steps[left]->Apply(doc);
            return false;
        }
        m_touched = m_steps[left]->Touched();
    }
    return true;
}

// ---- Performing ------------------------------------------------------------------------

void ShowFileChange(CPelwinDoc& doc) {
    cPropertySheetSeam* sheet = SharedState().sheet;
    cData* node = sheet ? sheet->CurrentNode() : nullptr;
    if (node && TreeOfNode(*node) == &doc.Tree())
        sheet->NodeChanged(node);
}

bool PerformStep(CPelwinDoc& doc, std::unique_ptr<cEditStep> step) {
    if (!step)
        return false;
    if (cStepSink* sink = doc.StepSink())
        return sink->Push(std::move(step));
    return step->Apply(doc);
}
