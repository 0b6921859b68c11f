#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "edit/editops.h"
#include "model/nodedata.h"

class cTemplateTree;

// The data of one node (class, category, policy, version condition or policy part) as the
// property sheet writes it. Taken before and after an apply, so the apply can be undone.
class cNodeDataSnapshot {
public:
    // False for a node whose kind the sheet does not write.
    static bool Supports(const cData& node);
    explicit cNodeDataSnapshot(const cData& node);

    // Writes the taken data back into node, which must be of the same kind.
    void RestoreInto(cData& node) const;

private:
    std::unique_ptr<cData> m_copy;
};

// The tree a node is shown in: a part's is its policy's. None for a node outside a tree.
cTemplateTree* TreeOf(cData& node);
// Marks the node's template modified; a part does so through its policy.
void MarkTemplateModified(cData& node);

// One apply of the property sheet: the node's data before and after. Undo writes the old
// data back, redo the new; either refreshes the tree label or the part's panel and lets the
// sheet refill.
class cApplyPropertiesStep {
public:
    // Takes the "before" state of node now; call Finish after the pages have written.
    cApplyPropertiesStep(cData& node);
    void Finish(const cData& node);

    const Text& Name() const { return m_name; }
    void Undo() { Restore(*m_before); }
    void Redo() { Restore(*m_after); }

private:
    void Restore(const cNodeDataSnapshot& data);
    cData* Find() const;

    cTemplateTree* m_tree;  // Not owned.
    // The node's tree item (a part's policy's), and for a part its index in the part list.
    cTreePath m_path;
    std::optional<size_t> m_part;
    Text m_name;
    std::unique_ptr<cNodeDataSnapshot> m_before;
    std::unique_ptr<cNodeDataSnapshot> m_after;
};

// The label of an undo step applying properties: "Apply properties of NAME".
Text ApplyStepText(const cData& node);
