#include "core/pages/placeholdersheet.h"

#include "core/model/nodeobjects.h"

int cPlaceholderSheet::SetObject(cData* node) {
    if (node == m_current)
        return kSheetAlreadyShown;
    if (m_current)
        if (cObjPolPart* part = m_current->GetPartObject())
            part->ShowSelection(0);
    m_current = node;
    if (node)
        if (cObjPolPart* part = node->GetPartObject())
            part->ShowSelection(1);
    return kSheetShown;
}

void cPlaceholderSheet::DropNode(cData* node) {
    if (node == m_current)
        m_current = nullptr;
}
