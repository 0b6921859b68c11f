#include "core/translate/cellstate.h"

cCellState CellState(TextView source, const Text* target, const Text* basis) {
    if (!target)
        return cCellState::Missing;
    if (*target == source)
        return cCellState::Untranslated;
    if (basis && *basis != source)
        return cCellState::Stale;
    return cCellState::Translated;
}

const char* CellStateName(cCellState state) {
    switch (state) {
        case cCellState::Missing:
            return "missing";
        case cCellState::Untranslated:
            return "untranslated";
        case cCellState::Stale:
            return "stale";
        case cCellState::Translated:
            break;
    }
    return "translated";
}
