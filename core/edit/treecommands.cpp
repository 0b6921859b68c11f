#include "core/edit/treecommands.h"

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/model/clipboard.h"
#include "core/model/nodetexts.h"

namespace {

cObjPolicy* PolicyOf(const cTreeItem* item) {
    return item && item->node ? dynamic_cast<cObjPolicy*>(item->node.get()) : nullptr;
}

// The selected part, when it belongs to a policy of this document.
cObjPolPart* SelectedPart(const cEditState& state) {
    cObjPolPart* part = state.selectedPart;
    if (!part || !part->Policy() || !InDocument(state.doc, part->Policy()->treeItem))
        return nullptr;
    return part->Policy()->IndexOfPart(part) < part->Policy()->Parts().size() ? part : nullptr;
}

cTreePath PathOf(const cTemplateTree& tree, const cTreeItem* item) {
    return item == tree.Root() ? cTreePath() : cTreePath::Of(item);
}

// The document a copied item or part comes from, when it is another template.
CPelwinDoc* OtherSource(const cEditState& state) {
    auto* source = dynamic_cast<CPelwinDoc*>(state.clipboard.SourceOwner());
    return source && source != &state.doc ? source : nullptr;
}

// A paste from another template brings along the strings that what it pastes refers to (a
// name both tables hold takes the source's text), in the same step, so that undoing the
// paste takes them out again. The source's other strings stay where they are.
std::unique_ptr<cCompoundStep> PasteStep(const cEditState& state, Text text,
                                         const cStringUses& uses) {
    auto step = std::make_unique<cCompoundStep>(text);
    if (CPelwinDoc* source = OtherSource(state)) {
        cStringMap merged = state.doc.Strings();
        if (MergeStrings(merged, source->Strings(),
                         [&uses](TextView name) { return uses.Uses(name); }) > 0)
            step->Add(std::make_unique<cStringTableStep>(text, std::move(merged)));
    }
    return step;
}

cStringUses UsesOf(const cData& node) {
    cStringUses uses;
    uses.AddNode(node);
    return uses;
}

cStringUses UsesOf(const cTreeItem& item) {
    cStringUses uses;
    uses.AddSubtree(item);
    return uses;
}

cEditResult InsertNewPart(cEditState& state, cObjPolicy& policy, size_t index, Text text,
                          std::unique_ptr<cObjPolPart> part) {
    if (!part)
        return {};
    cObjPolPart* made = part.get();
    auto step = cPartPlacementStep::Insert(std::move(text), policy, index, std::move(part));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, policy.treeItem, made};
}

}  // namespace

// ---- Policy menu ----------------------------------------------------------------------

bool CanNewNode(const cEditState& state, cNewNodeKind kind) {
    const cTreeItem* selected = InDocument(state.doc, state.selected) ? state.selected : nullptr;
    return CanCreateNode(state.doc.Tree(), selected, kind);
}

cEditResult NewNode(cEditState& state, cNewNodeKind kind) {
    if (!CanNewNode(state, kind))
        return {};
    cTemplateTree& tree = state.doc.Tree();
    std::optional<cPlacement> place = PlaceNewNode(tree, state.selected, kind);
    if (!place)
        return {};
    auto item = std::make_unique<cTreeItem>();
    item->node = MakeNewNode(kind);
    item->label = NodeLabel(tree, *item->node);
    item->stateImage = NewNodeImage(kind);
    auto step = cItemPlacementStep::Insert(NewNodeStepText(kind), PathOf(tree, place->parent),
                                           place->row, std::move(item));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place->parent->children[place->row].get(), nullptr};
}

bool CanNewPolicyPart(const cEditState& state) {
    return InDocument(state.doc, state.selected) && CanCreatePart(state.selected);
}

cEditResult NewPolicyPart(cEditState& state, cNewPartKind kind) {
    if (!CanNewPolicyPart(state))
        return {};
    cObjPolicy& policy = *PolicyOf(state.selected);
    return InsertNewPart(state, policy, 0, NewPartStepText(kind),
                         CreatePartFromKeyword(PartKeyword(kind), &policy, false));
}

// ---- Edit menu in the tree ------------------------------------------------------------

bool CanCopyItem(const cEditState& state) {
    return InDocument(state.doc, state.selected) && state.selected->node->kind != kKindClass;
}

void CopyItem(cEditState& state) {
    if (CanCopyItem(state))
        state.clipboard.CopyItem(state.doc.Tree(), *state.selected);
}

bool CanPaste(const cEditState& state) {
    if (!InDocument(state.doc, state.selected))
        return false;
    if (state.clipboard.HoldsPart())
        return PolicyOf(state.selected) != nullptr;
    return state.clipboard.HoldsItem() && CanPasteItem(state.doc.Tree(), state.selected,
                                                       state.clipboard.view, state.clipboard.item);
}

cEditResult Paste(cEditState& state) {
    if (!CanPaste(state))
        return {};
    if (cObjPolPart* copied = state.clipboard.part) {
        cObjPolicy& policy = *PolicyOf(state.selected);
        auto step = PasteStep(state, u"Paste " + StepNodeName(*copied), UsesOf(*copied));
        std::unique_ptr<cObjPolPart> copy = copied->ClonePart(&policy);
        cObjPolPart* made = copy.get();
        step->Add(cPartPlacementStep::Insert(step->Label(), policy, 0, std::move(copy)));
        if (!PerformStep(state.doc, std::move(step)))
            return {};
        return {true, policy.treeItem, made};
    }
    const cTreeItem& copied = *state.clipboard.item;
    cPlacement place = PastePlacement(state.selected);
    auto step = PasteStep(state, u"Paste " + StepNodeName(*copied.node), UsesOf(copied));
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place.parent), place.row,
                                         CloneSubtree(copied)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place.parent->children[place.row].get(), nullptr};
}

bool CanPasteNext(const cEditState& state) {
    return InDocument(state.doc, state.selected) && state.clipboard.HoldsItem() &&
           CanPasteItemNext(state.doc.Tree(), state.selected, state.clipboard.view,
                            state.clipboard.item);
}

cEditResult PasteNext(cEditState& state) {
    if (!CanPasteNext(state))
        return {};
    // After a top-level item there is no place: nothing happens, the template stays as it is.
    std::optional<cPlacement> place = PasteNextPlacement(state.doc.Tree(), state.selected);
    if (!place)
        return {};
    const cTreeItem& copied = *state.clipboard.item;
    auto step = PasteStep(state, u"Paste as next " + StepNodeName(*copied.node), UsesOf(copied));
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place->parent), place->row,
                                         CloneSubtree(copied)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place->parent->children[place->row].get(), nullptr};
}

// ---- Part commands of the preview -----------------------------------------------------

bool CanPartCommand(const cEditState& state) {
    return SelectedPart(state) != nullptr;
}

cEditResult NewPartAfter(cEditState& state, cNewPartKind kind) {
    cObjPolPart* selected = SelectedPart(state);
    if (!selected)
        return {};
    cObjPolicy& policy = *selected->Policy();
    return InsertNewPart(state, policy, policy.IndexOfPart(selected) + 1, NewPartStepText(kind),
                         CreatePartFromKeyword(PartKeyword(kind), &policy, false));
}

void CopyPart(cEditState& state) {
    if (cObjPolPart* part = SelectedPart(state))
        state.clipboard.CopyPart(*part);
}

bool CanPastePartAfter(const cEditState& state) {
    return SelectedPart(state) && state.clipboard.HoldsPart();
}

cEditResult PastePartAfter(cEditState& state) {
    if (!CanPastePartAfter(state))
        return {};
    cObjPolPart* selected = SelectedPart(state);
    cObjPolicy& policy = *selected->Policy();
    auto step = PasteStep(state, u"Paste " + StepNodeName(*state.clipboard.part),
                          UsesOf(*state.clipboard.part));
    std::unique_ptr<cObjPolPart> copy = state.clipboard.part->ClonePart(&policy);
    cObjPolPart* made = copy.get();
    step->Add(cPartPlacementStep::Insert(step->Label(), policy, policy.IndexOfPart(selected) + 1,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, policy.treeItem, made};
}
