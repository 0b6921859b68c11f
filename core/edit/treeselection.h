#pragma once

#include "core/model/seams.h"

class cData;

// What the tree needs of the pane its selected node is shown in: a panel host that knows
// its client area and takes the size of what it shows.
class cPreviewTarget : public cPanelHost {
public:
    // The client rectangle in pixels; its top-left is the pane's origin.
    virtual cRect ClientRect() const = 0;
    // The extent of the panels just created; the pane scrolls over it.
    virtual void SetTotalSize(int width, int height) = 0;
};

// Runs before the tree's selection moves from oldNode to newNode (either may be null) and
// answers whether it may. The old node's panels go in any case; the new node is handed to
// the property sheet, and when the sheet takes it, shown in preview (null: the window has
// no preview pane).
bool AllowSelectionMove(cData* oldNode, cData* newNode, cPreviewTarget* preview);

// Lays node out again from scratch in preview, as after its parts changed.
void ShowInPreview(cData* node, cPreviewTarget* preview);

// The tree became the active view: the sheet is given its selected node, or none when
// nothing is selected, so that it never goes on editing a template the user is not looking
// at. A hand-over that runs while another is still running (through the sheet's question)
// does nothing. Answers the sheet's answer (kSheetCancelled: the user kept the node shown).
int HandOverOnActivation(cData* selected);
