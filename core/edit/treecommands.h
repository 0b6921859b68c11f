#pragma once

#include "core/edit/commands.h"
#include "core/edit/creation.h"

// The Policy menu, the tree's Copy, Paste and Paste as next, and the preview's part
// commands, as Can…/do pairs over the edit state. Each change is one step of the document;
// Copy changes no document and is no step.

// Policy menu in the tree. NewNode answers the new item, for the tree to select.
bool CanNewNode(const cEditState& state, cNewNodeKind kind);
cEditResult NewNode(cEditState& state, cNewNodeKind kind);
// New Policy Part in the tree: the new part becomes the selected policy's first. Answers the
// policy's item, to be shown again, and the part.
bool CanNewPolicyPart(const cEditState& state);
cEditResult NewPolicyPart(cEditState& state, cNewPartKind kind);
// The part kinds only ADMX has are made in ADMX sets only.
bool CanNewAdmxPolicyPart(const cEditState& state);

// Edit menu in the tree.
bool CanCopyItem(const cEditState& state);
void CopyItem(cEditState& state);
// Paste: a copied item as the selected item's first child, or a copied part as the selected
// policy's first part. Answers the item whose display changed (the policy for a part).
bool CanPaste(const cEditState& state);
cEditResult Paste(cEditState& state);
bool CanPasteNext(const cEditState& state);
cEditResult PasteNext(cEditState& state);

// Part commands of the preview, on the part selected there. Each answers the policy's item,
// whose panels are laid out again.
bool CanPartCommand(const cEditState& state);
bool CanAdmxPartCommand(const cEditState& state);
cEditResult NewPartAfter(cEditState& state, cNewPartKind kind);
void CopyPart(cEditState& state);
bool CanPastePartAfter(const cEditState& state);
cEditResult PastePartAfter(cEditState& state);
