#pragma once

#include "core/text/text.h"

class cTemplateTree;

// The first place where two templates' structures part.
struct cStructureDifference {
    int line = 0;        // in the other template; 0 when the node is not there at all
    int sourceLine = 0;  // in the first template; 0 when the node is only in the other one
    Text what;           // "policy !!Foo: part !!Bar differs"
};

// Whether other has the structure of tree: the same classes, categories, version
// conditions and policies under the same parents, each with the same fields, parts and
// items as written (references compared by their names, not their texts). Siblings may
// stand in another order (a translation sorts them by its own texts); comments and the
// string tables are not compared. On a difference, `difference` names the first one met.
bool SameStructure(const cTemplateTree& tree, const cTemplateTree& other,
                   cStructureDifference& difference);
