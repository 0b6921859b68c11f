#include "model/seams.h"

cSharedState& SharedState() {
    static cSharedState state;
    return state;
}
