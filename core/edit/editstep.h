#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/edit/editops.h"

class CPelwinDoc;

// One undoable change of a template, built from the edit operations. A step describes its
// change; Apply makes it and Revert takes it back, as often as undo and redo ask, always in
// the order of the document's history. Steps find their places through tree paths, and
// hold whatever is out of the template meanwhile (a deleted subtree, the other part list).
class cEditStep {
public:
    explicit cEditStep(Text text) : m_text(std::move(text)) {}
    virtual ~cEditStep() = default;
    cEditStep(const cEditStep&) = delete;
    cEditStep& operator=(const cEditStep&) = delete;

    // What the history shows: "Delete policy Foo".
    const Text& Label() const { return m_text; }

    // False when the template has no longer the place the step names; nothing is changed
    // then.
    virtual bool Apply(CPelwinDoc& doc) = 0;
    virtual bool Revert(CPelwinDoc& doc) = 0;
    // The item the last Apply or Revert touched (an item put back, the parent of one taken
    // out, the changed node's item), for the tree to select.
    const cTreePath& Touched() const { return m_touched; }

protected:
    // A step whose change is made before it is kept names it once the change is known.
    void SetLabel(Text text) { m_text = std::move(text); }

    cTreePath m_touched;

private:
    Text m_text;
};

// Puts an owned subtree at (parent, row); Revert takes it out again and keeps it. Apply of a
// take step is Revert of an insert step: both are this class.
class cItemPlacementStep : public cEditStep {
public:
    // Inserts item under the item at parent (empty path: the top level) at row.
    static std::unique_ptr<cItemPlacementStep> Insert(Text text, cTreePath parent, size_t row,
                                                      cOwnedItem item);
    // Takes out the item at path, with its subtree.
    static std::unique_ptr<cItemPlacementStep> Take(Text text, cTreePath path);

    bool Apply(CPelwinDoc& doc) override { return m_inserts ? Put(doc) : Remove(doc); }
    bool Revert(CPelwinDoc& doc) override { return m_inserts ? Remove(doc) : Put(doc); }
    // The subtree held while it is out of the template.
    const cTreeItem* Held() const { return m_held.get(); }

private:
    cItemPlacementStep(Text text, bool inserts, cTreePath path, cOwnedItem item);
    bool Put(CPelwinDoc& doc);
    bool Remove(CPelwinDoc& doc);

    bool m_inserts;
    cTreePath m_path;  // of the item while it is in the tree
    cOwnedItem m_held;
};

// A node's data before and after a change (a tree node, or a part of a policy by its index).
class cNodeDataStep : public cEditStep {
public:
    // before and after are copies of the node's data (CopyNodeData).
    cNodeDataStep(Text text, const cData& node, std::unique_ptr<cData> before,
                  std::unique_ptr<cData> after);

    bool Apply(CPelwinDoc& doc) override;
    bool Revert(CPelwinDoc& doc) override;

protected:
    // Writes data into the node the step names in tree.
    bool Write(cTemplateTree& tree, const cData* data);
    void SetAfter(std::unique_ptr<cData> after) { m_after = std::move(after); }
    const cData* Before() const { return m_before.get(); }
    const cData* After() const { return m_after.get(); }

private:
    cTreePath m_path;
    std::optional<size_t> m_part;
    std::unique_ptr<cData> m_before;
    std::unique_ptr<cData> m_after;
};

// Puts one part into a policy's list at index, or takes it out (as with items).
class cPartPlacementStep : public cEditStep {
public:
    static std::unique_ptr<cPartPlacementStep> Insert(Text text, const cObjPolicy& policy,
                                                      size_t index,
                                                      std::unique_ptr<cObjPolPart> part);
    static std::unique_ptr<cPartPlacementStep> Take(Text text, const cObjPolicy& policy,
                                                    size_t index);

    bool Apply(CPelwinDoc& doc) override { return m_inserts ? Put(doc) : Remove(doc); }
    bool Revert(CPelwinDoc& doc) override { return m_inserts ? Remove(doc) : Put(doc); }

private:
    cPartPlacementStep(Text text, bool inserts, const cObjPolicy& policy, size_t index,
                       std::unique_ptr<cObjPolPart> part);
    cObjPolicy* PolicyIn(CPelwinDoc& doc) const;
    bool Put(CPelwinDoc& doc);
    bool Remove(CPelwinDoc& doc);

    bool m_inserts;
    cTreePath m_policy;
    size_t m_index;
    std::unique_ptr<cObjPolPart> m_held;
};

// A policy's whole part list exchanged for another; the step holds the list not in use.
class cPartListStep : public cEditStep {
public:
    cPartListStep(Text text, const cObjPolicy& policy, cPartList parts);

    bool Apply(CPelwinDoc& doc) override { return Swap(doc); }
    bool Revert(CPelwinDoc& doc) override { return Swap(doc); }

private:
    bool Swap(CPelwinDoc& doc);

    cTreePath m_policy;
    cPartList m_other;
};

// The document's string table exchanged for another; the step holds the table not in use.
class cStringTableStep : public cEditStep {
public:
    cStringTableStep(Text text, cStringMap strings);

    bool Apply(CPelwinDoc& doc) override { return Swap(doc); }
    bool Revert(CPelwinDoc& doc) override { return Swap(doc); }

private:
    bool Swap(CPelwinDoc& doc);

    cStringMap m_other;
};

// Several steps as one: applied in order, reverted in reverse order. When one of them
// fails, those already done are taken back and the whole step fails.
class cCompoundStep : public cEditStep {
public:
    explicit cCompoundStep(Text text) : cEditStep(std::move(text)) {}
    void Add(std::unique_ptr<cEditStep> step) { m_steps.push_back(std::move(step)); }
    bool Empty() const { return m_steps.empty(); }

    bool Apply(CPelwinDoc& doc) override;
    bool Revert(CPelwinDoc& doc) override;

private:
    std::vector<std::unique_ptr<cEditStep>> m_steps;
};

// Where the document's steps go: the editor's undo stack, which applies a step when it
// takes it. Without a sink a step is applied and forgotten (the command line, tests).
class cStepSink {
public:
    virtual ~cStepSink() = default;
    // Applies the step and keeps it for undo; false when it could not be applied (then
    // nothing changed and nothing is kept).
    virtual bool Push(std::unique_ptr<cEditStep> step) = 0;
};

// After a step changed what the document's format keeps for the whole file (its supported-on
// table, its namespaces): the property sheet shows its node of this document anew, whose
// pages offer and check against that.
void ShowFileChange(CPelwinDoc& doc);

// The one way a change is made to a document: through its sink when it has one.
bool PerformStep(CPelwinDoc& doc, std::unique_ptr<cEditStep> step);
