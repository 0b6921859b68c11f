#pragma once

#include <vector>

#include "core/check/lint.h"

class CPelwinDoc;
struct cTreeItem;
class cTemplateTree;

// A finding of lint over an open document, and where in its tree it stands.
struct cDocumentFinding {
    cFinding finding;
    // The child indices from the root to the node the finding stands at (a part's policy
    // for a part); empty when it stands at no node (a string, a file of the set's other
    // languages).
    std::vector<size_t> place;
};

// Lints the document as it stands, edits included: its files as a save would write them go
// to a folder of their own and are read back with lint's log, as tessary-cli lint reads
// them. False with the reason in problem when they could not be written or read back.
// With mdm, lint's MDM profile runs too, the document's set being the whole upload.
bool CheckDocument(const CPelwinDoc& doc, std::vector<cDocumentFinding>& findings, Text& problem,
                   bool mdm = false);

// The item at a finding's place, or null when the tree no longer has it.
cTreeItem* ItemAtPlace(const cTemplateTree& tree, const std::vector<size_t>& place);
