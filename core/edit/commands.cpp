#include "core/edit/commands.h"

#include "core/document/document.h"
#include "core/edit/editstep.h"

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

}  // namespace

bool InDocument(const CPelwinDoc& doc, const cTreeItem* item) {
    return item && item->node && item->node->ownerView == &doc.Tree();
}

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
