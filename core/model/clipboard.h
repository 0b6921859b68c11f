#pragma once

class cObjPolPart;
class cTemplateTree;
class cTreeOwner;
struct cTreeItem;

// The application's one copy reference: a copied tree item with the tree it lives in, or a
// copied policy part, never both. Copy only names what was chosen; Paste clones what is
// named at the moment it runs. Nothing here is owned, so the reference forgets whatever
// leaves its template or is destroyed (the rules below, run by the edit rules and by a
// part's destructor).
class cClipboard {
public:
    // Copy in the tree: names item, forgets a copied part.
    void CopyItem(cTemplateTree& tree, cTreeItem& item);
    // Copy in the preview: names part, forgets a copied item.
    void CopyPart(cObjPolPart& part);
    void Clear() { *this = cClipboard(); }

    bool HoldsItem() const { return item && view; }
    bool HoldsPart() const { return part != nullptr; }
    // The template the copied item or part belongs to (its string table comes along with a
    // paste), or none.
    cTreeOwner* SourceOwner() const;

    // An item is leaving tree (taken out or deleted): forget it if it is the copied item.
    void ItemLeaving(const cTemplateTree& tree, const cTreeItem& leaving);
    // A part is leaving its policy or being destroyed: forget everything if it is the
    // copied part.
    void PartLeaving(const cObjPolPart& leaving);

    cTreeItem* item = nullptr;      // Not owned.
    cTemplateTree* view = nullptr;  // Not owned: the tree item lives in.
    cObjPolPart* part = nullptr;    // Not owned.
};
