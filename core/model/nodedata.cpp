#include "core/model/nodedata.h"

#include "core/model/seams.h"
#include "core/model/templatetree.h"

cData::~cData() {
    // The sheet must never be left editing a destroyed node.
    cPropertySheetSeam* sheet = SharedState().sheet;
    if (sheet && sheet->CurrentNode() == this)
        sheet->DropNode(this);
}

int cData::ShowProperties(cPropertySheetSeam* sheet) {
    return sheet ? sheet->SetObject(this) : kSheetFailed;
}

void cData::Attach(cTemplateTree* view, cTreeItem* item) {
    ownerView = view;
    if (view)
        treeView = view;
    treeItem = item;
}

void cData::MarkModified(int flag) {
    if (ownerView && ownerView->Owner())
        ownerView->Owner()->SetModifiedFlag(flag);
}

cData* cData::ParentObject() const {
    if (!treeItem || !treeView)
        return nullptr;
    return treeView->NodeOf(treeView->ParentOf(treeItem));
}

void cPolVersion::RebuildLabel() {
    label = u"If Version " + op + u" " + number;
}
