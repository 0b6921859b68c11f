#include "edit/commands.h"

#include "app/document.h"
#include "edit/editstep.h"

namespace {

const char16_t* KindWord(const cData& node) {
    switch (node.kind) {
        case kKindClass:
            return u"class";
        case kKindCategory:
            return u"category";
        case kKindPolicy:
            return u"policy";
        case kKindVersion:
            return u"version";
        case kKindPart:
            return u"part";
        default:
            return u"entry";
    }
}

// The name as the user sees it.
Text ShownName(const cData& node) {
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
        default:
            break;
    }
    const cTemplateTree* tree = node.ownerView;
    if (node.kind == kKindPart)
        if (const auto* part = dynamic_cast<const cObjPolPart*>(&node); part && part->Policy())
            tree = part->Policy()->ownerView;
    return tree ? tree->DisplayLabel(name) : name;
}

bool InDocument(const CPelwinDoc& doc, const cTreeItem* item) {
    return item && item->node && item->node->ownerView == &doc.Tree();
}

}  // namespace

Text StepNodeName(const cData& node) {
    return Text(KindWord(node)) + u" " + ShownName(node);
}

bool CanDeleteItem(const cEditState& state) {
    return InDocument(state.doc, state.selected);
}

cEditResult DeleteItem(cEditState& state) {
    if (!CanDeleteItem(state))
        return {};
    cTreeItem* parent = state.doc.Tree().ParentOf(state.selected);
    auto step = cItemPlacementStep::Take(u"Delete " + StepNodeName(*state.selected->node),
                                         cTreePath::Of(state.selected));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    state.selected = nullptr;
    return {true, parent, nullptr};
}

bool CanDeletePart(const cEditState& state) {
    const cObjPolPart* part = state.selectedPart;
    return part && part->Policy() && InDocument(state.doc, part->Policy()->treeItem) &&
           part->Policy()->IndexOfPart(part) < part->Policy()->Parts().size();
}

cEditResult DeletePart(cEditState& state) {
    if (!CanDeletePart(state))
        return {};
    cObjPolicy& policy = *state.selectedPart->Policy();
    auto step = cPartPlacementStep::Take(u"Delete " + StepNodeName(*state.selectedPart), policy,
                                         policy.IndexOfPart(state.selectedPart));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    state.selectedPart = nullptr;
    return {true, policy.treeItem, nullptr};
}
