#include "core/model/clipboard.h"

#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

void cClipboard::CopyItem(cTemplateTree& tree, cTreeItem& copied) {
    item = &copied;
    view = &tree;
    part = nullptr;
}

void cClipboard::CopyPart(cObjPolPart& copied) {
    item = nullptr;
    view = nullptr;
    part = &copied;
}

cTreeOwner* cClipboard::SourceOwner() const {
    if (HoldsItem())
        return view->Owner();
    if (part && part->Policy() && part->Policy()->ownerView)
        return part->Policy()->ownerView->Owner();
    return nullptr;
}

void cClipboard::ItemLeaving(const cTemplateTree& tree, const cTreeItem& leaving) {
    if (item == &leaving && view == &tree) {
        item = nullptr;
        view = nullptr;
    }
}

void cClipboard::PartLeaving(const cObjPolPart& leaving) {
    if (part == &leaving)
        Clear();
}
