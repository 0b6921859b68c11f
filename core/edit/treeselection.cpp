#include "core/edit/treeselection.h"

#include "core/model/nodeobjects.h"
#include "core/text/messages.h"

namespace {

// Set while the sheet is being given the selection of a tree that became active.
bool g_handingOver = false;

void CreateInPreview(cData* node, cPreviewTarget* preview) {
    if (!preview) {
        ShowMessage(kSeverityInternal, u"Unable to retrieve leave view.");
        return;
    }
    cCtrlList* ctrl = CtrlOf(node);
    if (!ctrl)
        return;
    cRect rect = preview->ClientRect();
    rect.left = 0;
    // A panel that fails leaves the rectangle as far as the policy got; that is the size.
    ctrl->CreatePanel(rect, preview);
    preview->SetTotalSize(rect.right, rect.bottom);
}

}  // namespace

bool AllowSelectionMove(cData* oldNode, cData* newNode, cPreviewTarget* preview) {
    if (cCtrlList* old = CtrlOf(oldNode))
        old->DestroyPanel();
    if (!newNode)
        return true;
    int answer = newNode->ShowProperties(SharedState().sheet);
    // A sheet that shows the node already has nothing to refuse: the move goes on, or the
    // user could never select that node again without first selecting another.
    if (answer != kSheetShown && answer != kSheetAlreadyShown) {
        if (answer != kSheetCancelled)
            ShowMessage(kSeverityError, u"Error showing properties of new selection.");
        return false;
    }
    CreateInPreview(newNode, preview);
    return true;
}

void ShowInPreview(cData* node, cPreviewTarget* preview) {
    if (cCtrlList* ctrl = CtrlOf(node))
        ctrl->DestroyPanel();
    CreateInPreview(node, preview);
}

int HandOverOnActivation(cData* selected) {
    cPropertySheetSeam* sheet = SharedState().sheet;
    if (g_handingOver || !sheet)
        return kSheetAlreadyShown;
    g_handingOver = true;
    const int answer = selected ? selected->ShowProperties(sheet) : sheet->SetObject(nullptr);
    g_handingOver = false;
    return answer;
}
