#include "core/model/seams.h"

cSharedState& SharedState() {
    static cSharedState state;
    return state;
}

bool SettleSheetEdits() {
    cPropertySheetSeam* sheet = SharedState().sheet;
    if (!sheet)
        return true;
    switch (sheet->AskApply()) {
        case cAnswer::Yes:
            sheet->ApplyNow();
            return true;
        case cAnswer::No:
            return true;
        case cAnswer::Cancel:
            break;
    }
    return false;
}
