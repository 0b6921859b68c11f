#pragma once

#include <memory>
#include <vector>

#include "core/model/nodeobjects.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"

// Conversion of an ADMX set, read into the model, to an ADM template of its display language.

// Something of the set that the template has no form for, at its line of the ADMX file (or
// of the ADML file it names).
struct cConversionNote {
    int line = 0;
    Text what;
};

// Fills `tree` and `strings` (both empty) with the template: MACHINE and USER classes with
// the categories that lead to their policies (a policy of class Both under both), policies in
// a category of another file under a category named after it, $(string.ID) references as
// !!ID, line breaks in strings as "\n", a part's label as a string of its own. A list of
// texts becomes an edit text and a 64-bit number a NUMERIC part; everything the template
// loses (those, supported-on structure, seeAlso, keywords, annotations, attributes and
// elements it has no keyword for) is named in `notes`, in the order of the tree.
void AdmxToAdm(const cTemplateTree& from, const cStringMap& fromStrings, cTemplateTree& tree,
               cStringMap& strings, std::vector<cConversionNote>& notes);

// A part of a kind only a set has, as the template's nearest kind on policy: a list of
// texts as a one-line EDITTEXT, a 64-bit number as NUMERIC; what it loses on the way in
// `how` (": written as ..."). Null for a part of any other kind.
std::unique_ptr<cObjPolPart> AdmPartFor(const cObjPolPart& from, cObjPolicy& policy, Text& how);
