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

// Whether a copy may go from the clipboard's template into this one: a node keeps its form
// only between templates that both have class nodes or both have none (ADM, ADMX).
bool SameFormOfTree(const cEditState& state) {
    const CPelwinDoc* source = OtherSource(state);
    return !source || source->HasClassNodes() == state.doc.HasClassNodes();
}

// The nodes of a pasted copy: each node of a subtree, or a single part.
using cPastedNodes = std::vector<cData*>;

cPastedNodes NodesOf(cTreeItem& item) {
    cPastedNodes nodes;
    cTemplateTree::ForEachInSubtree(&item, [&nodes](cTreeItem* at) {
        if (at->node)
            nodes.push_back(at->node.get());
    });
    return nodes;
}

// A paste from another template brings along the strings that what it pastes refers to, in
// the same step, so that undoing the paste takes them out again. The source's other strings
// stay where they are. A name both tables hold with different texts: a template takes the
// source's text; a set without class nodes (ADMX), whose ids name one text each, keeps its
// own and gives the pasted copy's string a new id ("ID_2"), its references renamed.
std::unique_ptr<cCompoundStep> PasteStep(const cEditState& state, Text text,
                                         const cPastedNodes& nodes) {
    auto step = std::make_unique<cCompoundStep>(text);
    CPelwinDoc* source = OtherSource(state);
    if (!source)
        return step;
    // A set's supported-on text is the name of the definition the policy refers to: it
    // neither comes along nor is renamed.
    std::vector<std::pair<cPolicy*, Text>> supported;
    if (!state.doc.HasClassNodes())
        for (cData* node : nodes)
            if (node->kind == kKindPolicy) {
                auto* policy = static_cast<cPolicy*>(node);
                supported.emplace_back(policy, std::move(policy->supportedText));
                policy->supportedText.clear();
            }
    struct cRestore {
        std::vector<std::pair<cPolicy*, Text>>& held;
        ~cRestore() {
            for (auto& [policy, text] : held)
                policy->supportedText = std::move(text);
        }
    } restore{supported};
    cStringUses uses;
    for (const cData* node : nodes)
        uses.AddNode(*node);
    cStringMap merged = state.doc.Strings();
    if (state.doc.HasClassNodes()) {
        if (MergeStrings(merged, source->Strings(),
                         [&uses](TextView name) { return uses.Uses(name); }) > 0)
            step->Add(std::make_unique<cStringTableStep>(text, std::move(merged)));
        return step;
    }
    std::unordered_map<Text, Text> renamed;
    size_t added = 0;
    for (const auto& [name, value] : source->Strings().Entries()) {
        if (!uses.Uses(name))
            continue;
        const Text* held = merged.Find(name);
        if (held && *held == value)
            continue;
        Text id = name;
        for (int n = 2; merged.Find(id); ++n)
            id = name + u"_" + FromUtf8(std::to_string(n));
        if (id != name)
            renamed.emplace(u"$(string." + name + u")", u"$(string." + id + u")");
        merged.Set(id, value);
        ++added;
    }
    if (!renamed.empty())
        for (cData* node : nodes)
            ForEachNodeText(*node, [&renamed](const Text& value) {
                // The copy is this paste's own: its texts may be changed in place.
                auto found = renamed.find(value);
                if (found != renamed.end())
                    const_cast<Text&>(value) = found->second;
            });
    if (added > 0)
        step->Add(std::make_unique<cStringTableStep>(text, std::move(merged)));
    return step;
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
    // Without class nodes a policy holds its class itself.
    if (item->node->kind == kKindPolicy && !state.doc.HasClassNodes())
        item->node->admx.emplace().policyClass = u"Machine";
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
    if (!SameFormOfTree(state))
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
        std::unique_ptr<cObjPolPart> copy = copied->ClonePart(&policy);
        cObjPolPart* made = copy.get();
        auto step = PasteStep(state, u"Paste " + StepNodeName(*copied), {made});
        step->Add(cPartPlacementStep::Insert(step->Label(), policy, 0, std::move(copy)));
        if (!PerformStep(state.doc, std::move(step)))
            return {};
        return {true, policy.treeItem, made};
    }
    const cTreeItem& copied = *state.clipboard.item;
    cPlacement place = PastePlacement(state.selected);
    std::unique_ptr<cTreeItem> copy = CloneSubtree(copied);
    auto step = PasteStep(state, u"Paste " + StepNodeName(*copied.node), NodesOf(*copy));
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place.parent), place.row,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place.parent->children[place.row].get(), nullptr};
}

bool CanPasteNext(const cEditState& state) {
    return InDocument(state.doc, state.selected) && state.clipboard.HoldsItem() &&
           SameFormOfTree(state) &&
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
    std::unique_ptr<cTreeItem> copy = CloneSubtree(copied);
    auto step = PasteStep(state, u"Paste as next " + StepNodeName(*copied.node), NodesOf(*copy));
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place->parent), place->row,
                                         std::move(copy)));
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
    return SelectedPart(state) && state.clipboard.HoldsPart() && SameFormOfTree(state);
}

cEditResult PastePartAfter(cEditState& state) {
    if (!CanPastePartAfter(state))
        return {};
    cObjPolPart* selected = SelectedPart(state);
    cObjPolicy& policy = *selected->Policy();
    std::unique_ptr<cObjPolPart> copy = state.clipboard.part->ClonePart(&policy);
    cObjPolPart* made = copy.get();
    auto step = PasteStep(state, u"Paste " + StepNodeName(*state.clipboard.part), {made});
    step->Add(cPartPlacementStep::Insert(step->Label(), policy, policy.IndexOfPart(selected) + 1,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, policy.treeItem, made};
}
