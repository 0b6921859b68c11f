#include "core/document/editrules.h"

#include "core/model/nodeobjects.h"
#include "core/model/seams.h"

void cEditRules::MarkModified() {
    if (m_tree.Owner())
        m_tree.Owner()->SetModifiedFlag(1);
}

void cEditRules::ItemLeaving(cTreeItem* item) {
    MarkModified();
    m_shared.copy.ItemLeaving(m_tree, *item);
    cData* node = item->node.get();
    if (!node)
        return;
    if (cCtrlList* ctrl = CtrlOf(node))
        ctrl->DestroyPanel();
    if (cPropertySheetSeam* sheet = m_shared.sheet; sheet && sheet->CurrentNode() == node)
        sheet->DropNode(node);
    if (node->kind == kKindPolicy)
        for (const auto& part : static_cast<cObjPolicy*>(node)->Parts())
            PartLeaving(part.get());
}

void cEditRules::PartLeaving(cObjPolPart* part) {
    MarkModified();
    m_shared.copy.PartLeaving(*part);
    part->DestroyPanel();
    if (cPropertySheetSeam* sheet = m_shared.sheet; sheet && sheet->CurrentNode() == part)
        sheet->DropNode(part);
}

void cEditRules::NodeDataChanged(cTreeItem*, cData* node) {
    MarkModified();
    if (cPropertySheetSeam* sheet = m_shared.sheet; sheet && node)
        sheet->NodeChanged(node);
}
