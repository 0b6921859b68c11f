#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/edit/editstep.h"
#include "core/model/nodedata.h"

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

// Marks the node's template modified; a part does so through its policy.
void MarkTemplateModified(cData& node);

// One apply of the property sheet: the node's data before and after, a step of the
// document's history ("Apply properties of NAME"). Undo writes the old data back, redo the
// new; either shows the node's new name, marks the template modified and lets the sheet
// refill (the edit rules).
class cApplyPropertiesStep : public cNodeDataStep {
public:
    // Takes the "before" state of node now; call Finish after the pages have written, which
    // also names the step after the node's new name.
    explicit cApplyPropertiesStep(cData& node);
    void Finish(const cData& node);

    const Text& Name() const { return Label(); }
    // Undo and redo in the tree the node was in when the step was made.
    void Undo();
    void Redo();
    cTemplateTree* Tree() const { return m_tree; }

private:
    cTemplateTree* m_tree;  // Not owned.
};

// The label of an undo step applying properties: "Apply properties of NAME".
Text ApplyStepText(const cData& node);

// The action list editor's OK on a policy or a check box part: its ACTIONLISTON and
// ACTIONLISTOFF become on and off at once, as a step of their own in the node's template
// ("Edit action lists of NAME"), whatever the sheet still holds unapplied. A node that
// belongs to no template takes the lists directly. False for a node without such lists, and
// when the step could not be made.
bool ReplaceActionLists(cData& node, cActionList on, cActionList off);
