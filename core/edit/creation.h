#pragma once

#include <memory>
#include <optional>

#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

// The Policy menu's rules: when each creation item is offered for the selected tree item,
// where its new node goes, and the new node with its defaults. Commands and menus build on
// these; nothing here changes a tree.

enum class cNewNodeKind { Version, ChildVersion, Machine, User, Category, ChildCategory, Policy };

// A place for a new item: under parent (the root for the top level) at row.
struct cPlacement {
    cTreeItem* parent = nullptr;  // Not owned.
    size_t row = 0;
    bool operator==(const cPlacement&) const = default;
};

// Whether the menu item is enabled with `selected` (null: nothing selected).
bool CanCreateNode(const cTemplateTree& tree, const cTreeItem* selected, cNewNodeKind kind);
// Where the command puts its node; none when the selection gives it no place.
std::optional<cPlacement> PlaceNewNode(const cTemplateTree& tree, const cTreeItem* selected,
                                       cNewNodeKind kind);
// The node a command creates, with its defaults; its state image; the text of its step.
std::unique_ptr<cData> MakeNewNode(cNewNodeKind kind);
int NewNodeImage(cNewNodeKind kind);
Text NewNodeStepText(cNewNodeKind kind);
// The text the tree shows for a node: its name (a version condition's label), resolved.
Text NodeLabel(const cTemplateTree& tree, const cData& node);

// The part kinds of "New Policy Part", in menu order.
// The last two are ADMX's own, offered in ADMX sets only.
enum class cNewPartKind {
    CheckBox,
    ComboBox,
    DropDownList,
    EditText,
    ListBox,
    Numeric,
    Text,
    MultiText,
    LongNumber
};
TextView PartKeyword(cNewPartKind kind);
bool IsAdmxOnly(cNewPartKind kind);
// A fresh part of the kind for policy.
std::unique_ptr<cObjPolPart> CreateNewPart(cNewPartKind kind, cObjPolicy& policy);
// "New part Check box", ...
Text NewPartStepText(cNewPartKind kind);
// New parts are made for a selected policy only.
bool CanCreatePart(const cTreeItem* selected);

// ---- Paste rules ----------------------------------------------------------------------

// Whether Paste may put a copied node of sourceKind into a selected node of targetKind:
// a category into a class; a category or a policy into a category.
bool PasteIntoAllowed(int targetKind, int sourceKind);
// Whether Paste as next may put it after the selected node: same kind, not a class.
bool PasteNextAllowed(int targetKind, int sourceKind);

// Paste of a copied item (copied, living in sourceTree) into `selected` of tree: enabled
// when the kinds allow it and, within one tree, the copy would not land in itself.
bool CanPasteItem(const cTemplateTree& tree, const cTreeItem* selected,
                  const cTemplateTree* sourceTree, const cTreeItem* copied);
// Paste as next: the same, after the selected item. Offered for a top-level item, where
// it then does nothing (see PasteNextPlacement).
bool CanPasteItemNext(const cTemplateTree& tree, const cTreeItem* selected,
                      const cTemplateTree* sourceTree, const cTreeItem* copied);
// Where the copy goes: first child of the selected item, or directly after it (none for a
// top-level item).
cPlacement PastePlacement(const cTreeItem* selected);
std::optional<cPlacement> PasteNextPlacement(const cTemplateTree& tree, const cTreeItem* selected);
