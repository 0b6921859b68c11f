#pragma once

#include <memory>
#include <vector>

#include "edit/editops.h"
#include "model/nodedata.h"

class cTemplateTree;

// The data of one structural node (class, category, policy, version condition) as the
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

// One apply of the property sheet: the node's data before and after. Undo writes the old
// data back, redo the new; either refreshes the tree label and lets the sheet refill.
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

    cTemplateTree* m_tree;  // Not owned.
    cTreePath m_path;
    Text m_name;
    std::unique_ptr<cNodeDataSnapshot> m_before;
    std::unique_ptr<cNodeDataSnapshot> m_after;
};

// The label of an undo step applying properties: "Apply properties of NAME".
Text ApplyStepText(const cData& node);
