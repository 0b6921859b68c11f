#include "core/edit/creation.h"

namespace {

int KindOf(const cTreeItem* item) {
    return item && item->node ? item->node->kind : 0;
}

// The item above `item`, or none at the top level.
const cTreeItem* ParentItem(const cTemplateTree& tree, const cTreeItem* item) {
    const cTreeItem* parent = item ? item->parent : nullptr;
    return parent == tree.Root() ? nullptr : parent;
}

bool IsClassNamed(const cTreeItem* item, TextView name) {
    if (KindOf(item) != kKindClass)
        return false;
    const Text& className = static_cast<const cPolClass&>(*item->node).className;
    return className.size() == name.size() && KeywordEquals(className, name);
}

// A version condition directly under one of the kinds, or under a version condition that
// is directly under one of them.
bool VersionUnder(const cTemplateTree& tree, const cTreeItem* version, int kindA, int kindB) {
    if (KindOf(version) != kKindVersion)
        return false;
    const cTreeItem* parent = ParentItem(tree, version);
    int kind = KindOf(parent);
    if (kind == kindA || kind == kindB)
        return true;
    if (kind != kKindVersion)
        return false;
    int above = KindOf(ParentItem(tree, parent));
    return above == kindA || above == kindB;
}

cTreeItem* Mutable(const cTreeItem* item) {
    return const_cast<cTreeItem*>(item);
}

cPlacement First(const cTreeItem* parent) {
    return {Mutable(parent), 0};
}

cPlacement Last(const cTreeItem* parent) {
    return {Mutable(parent), parent->children.size()};
}

cPlacement After(const cTreeItem* item) {
    return {item->parent, item->row + 1};
}

// A tree without class nodes (an ADMX set): no classes and no version conditions; categories
// at the top or in categories, policies in categories.
bool WithoutClassNodes(const cTemplateTree& tree) {
    return tree.Owner() && !tree.Owner()->HasClassNodes();
}

bool CanCreateInSet(const cTreeItem* selected, cNewNodeKind kind) {
    const int selectedKind = KindOf(selected);
    switch (kind) {
        case cNewNodeKind::Category:
            return !selected || selectedKind == kKindCategory;
        case cNewNodeKind::ChildCategory:
            return selectedKind == kKindCategory;
        case cNewNodeKind::Policy:
            return selectedKind == kKindCategory || selectedKind == kKindPolicy;
        default:
            return false;
    }
}

std::optional<cPlacement> PlaceInSet(const cTemplateTree& tree, const cTreeItem* selected,
                                     cNewNodeKind kind) {
    if (!CanCreateInSet(selected, kind))
        return std::nullopt;
    const int selectedKind = KindOf(selected);
    if (kind == cNewNodeKind::Category && !selected) {
        // At the top after the categories there, before the policies of other files'
        // categories.
        const cTreeItem* root = tree.Root();
        size_t row = 0;
        while (row < root->children.size() && KindOf(root->children[row].get()) == kKindCategory)
            ++row;
        return cPlacement{Mutable(root), row};
    }
    if (kind == cNewNodeKind::ChildCategory ||
        (kind == cNewNodeKind::Policy && selectedKind == kKindCategory))
        return First(selected);
    return After(selected);
}

}  // namespace

bool CanCreateNode(const cTemplateTree& tree, const cTreeItem* selected, cNewNodeKind kind) {
    if (WithoutClassNodes(tree))
        return CanCreateInSet(selected, kind);
    int selectedKind = KindOf(selected);
    switch (kind) {
        case cNewNodeKind::Version:
            return true;
        case cNewNodeKind::ChildVersion:
            return selected && selectedKind != kKindPolicy;
        case cNewNodeKind::Machine:
            return tree.IsEmpty() || selectedKind == kKindVersion;
        case cNewNodeKind::User: {
            if (tree.IsEmpty() || selectedKind == kKindVersion)
                return true;
            if (selectedKind != kKindClass || IsClassNamed(selected, u"USER"))
                return false;
            // One USER class per level: none may follow the selected class.
            for (size_t row = selected->row + 1; row < selected->parent->children.size(); ++row)
                if (IsClassNamed(selected->parent->children[row].get(), u"USER"))
                    return false;
            return true;
        }
        case cNewNodeKind::Category:
            return selectedKind == kKindClass || selectedKind == kKindCategory ||
                   VersionUnder(tree, selected, kKindClass, kKindCategory);
        case cNewNodeKind::ChildCategory:
            return selectedKind == kKindCategory ||
                   VersionUnder(tree, selected, kKindClass, kKindCategory);
        case cNewNodeKind::Policy:
            return selectedKind == kKindCategory || selectedKind == kKindPolicy ||
                   VersionUnder(tree, selected, kKindCategory, kKindPolicy);
    }
    return false;
}

std::optional<cPlacement> PlaceNewNode(const cTemplateTree& tree, const cTreeItem* selected,
                                       cNewNodeKind kind) {
    if (WithoutClassNodes(tree))
        return PlaceInSet(tree, selected, kind);
    const cTreeItem* root = tree.Root();
    int selectedKind = KindOf(selected);
    switch (kind) {
        case cNewNodeKind::Version:
            return selected ? After(selected) : First(root);
        case cNewNodeKind::ChildVersion:
            if (selected)
                return First(selected);
            break;
        case cNewNodeKind::Machine:
            if (!selected)
                return First(root);
            if (selectedKind == kKindVersion)
                return First(selected);
            if (selectedKind == kKindClass)
                return First(selected->parent);
            break;
        case cNewNodeKind::User:
            if (!selected)
                return First(root);
            if (selectedKind == kKindVersion)
                return Last(selected);
            if (selectedKind == kKindClass)
                return Last(selected->parent);
            break;
        case cNewNodeKind::Category:
            if (selectedKind == kKindClass)
                return First(selected);
            if (selectedKind == kKindCategory)
                return After(selected);
            if (selectedKind == kKindVersion)
                return First(selected->parent);
            break;
        case cNewNodeKind::ChildCategory:
            if (selectedKind == kKindCategory || selectedKind == kKindVersion)
                return First(selected);
            break;
        case cNewNodeKind::Policy:
            if (selectedKind == kKindCategory)
                return First(selected);
            if (selectedKind == kKindPolicy)
                return After(selected);
            if (selectedKind == kKindVersion)
                return First(selected->parent);
            break;
    }
    return std::nullopt;
}

std::unique_ptr<cData> MakeNewNode(cNewNodeKind kind) {
    switch (kind) {
        case cNewNodeKind::Version:
        case cNewNodeKind::ChildVersion:
            return std::make_unique<cObjVersion>();
        case cNewNodeKind::Machine:
        case cNewNodeKind::User: {
            auto node = std::make_unique<cObjClass>();
            node->className = kind == cNewNodeKind::Machine ? u"MACHINE" : u"USER";
            return node;
        }
        case cNewNodeKind::Category:
        case cNewNodeKind::ChildCategory:
            return std::make_unique<cObjCategory>();
        case cNewNodeKind::Policy:
            return std::make_unique<cObjPolicy>();
    }
    return nullptr;
}

int NewNodeImage(cNewNodeKind kind) {
    return kind == cNewNodeKind::Policy ? kImagePage : kImageClosedBook;
}

Text NewNodeStepText(cNewNodeKind kind) {
    switch (kind) {
        case cNewNodeKind::Version:
            return u"New version";
        case cNewNodeKind::ChildVersion:
            return u"New child version";
        case cNewNodeKind::Machine:
            return u"New class MACHINE";
        case cNewNodeKind::User:
            return u"New class USER";
        case cNewNodeKind::Category:
            return u"New category";
        case cNewNodeKind::ChildCategory:
            return u"New child category";
        case cNewNodeKind::Policy:
            return u"New policy";
    }
    return Text();
}

Text NodeLabel(const cTemplateTree& tree, const cData& node) {
    switch (node.kind) {
        case kKindClass:
            return tree.DisplayLabel(static_cast<const cPolClass&>(node).className);
        case kKindCategory:
            return tree.DisplayLabel(static_cast<const cCategory&>(node).name);
        case kKindPolicy:
            return tree.DisplayLabel(static_cast<const cPolicy&>(node).name) +
                   AdmxLabelNote(node, false);
        case kKindVersion:
            return tree.DisplayLabel(static_cast<const cPolVersion&>(node).label);
        default:
            return Text();
    }
}

TextView PartKeyword(cNewPartKind kind) {
    switch (kind) {
        case cNewPartKind::CheckBox:
            return u"CHECKBOX";
        case cNewPartKind::ComboBox:
            return u"COMBOBOX";
        case cNewPartKind::DropDownList:
            return u"DROPDOWNLIST";
        case cNewPartKind::EditText:
            return u"EDITTEXT";
        case cNewPartKind::ListBox:
            return u"LISTBOX";
        case cNewPartKind::Numeric:
            return u"NUMERIC";
        case cNewPartKind::Text:
            return u"TEXT";
        case cNewPartKind::MultiText:
            return cPolPartMultiText::kKeyword;
        case cNewPartKind::LongNumber:
            return cPolPartLongNum::kKeyword;
    }
    return TextView();
}

bool IsAdmxOnly(cNewPartKind kind) {
    return kind == cNewPartKind::MultiText || kind == cNewPartKind::LongNumber;
}

std::unique_ptr<cObjPolPart> CreateNewPart(cNewPartKind kind, cObjPolicy& policy) {
    switch (kind) {
        case cNewPartKind::MultiText:
            return std::make_unique<cObjPolPartMultiText>(&policy);
        case cNewPartKind::LongNumber:
            return std::make_unique<cObjPolPartLongNum>(&policy);
        default:
            return CreatePartFromKeyword(PartKeyword(kind), &policy, false);
    }
}

Text NewPartStepText(cNewPartKind kind) {
    switch (kind) {
        case cNewPartKind::CheckBox:
            return u"New part Check box";
        case cNewPartKind::ComboBox:
            return u"New part Combo box";
        case cNewPartKind::DropDownList:
            return u"New part Drop-down list";
        case cNewPartKind::EditText:
            return u"New part Edit text";
        case cNewPartKind::ListBox:
            return u"New part List box";
        case cNewPartKind::Numeric:
            return u"New part Numeric";
        case cNewPartKind::Text:
            return u"New part Text";
        case cNewPartKind::MultiText:
            return u"New part Multi-line text";
        case cNewPartKind::LongNumber:
            return u"New part 64-bit number";
    }
    return Text();
}

bool CanCreatePart(const cTreeItem* selected) {
    return KindOf(selected) == kKindPolicy;
}

// ---- Paste rules ----------------------------------------------------------------------

bool PasteIntoAllowed(int targetKind, int sourceKind) {
    return (targetKind == kKindClass && sourceKind == kKindCategory) ||
           (targetKind == kKindCategory &&
            (sourceKind == kKindCategory || sourceKind == kKindPolicy));
}

bool PasteNextAllowed(int targetKind, int sourceKind) {
    return targetKind != 0 && targetKind == sourceKind && targetKind != kKindClass;
}

bool CanPasteItem(const cTemplateTree& tree, const cTreeItem* selected,
                  const cTemplateTree* sourceTree, const cTreeItem* copied) {
    if (!sourceTree || !copied || !copied->node || !selected || !selected->node)
        return false;
    if (!PasteIntoAllowed(KindOf(selected), KindOf(copied)))
        return false;
    // Never into the copied item itself or below it.
    return sourceTree != &tree || !tree.IsSelfOrAncestor(copied, selected);
}

bool CanPasteItemNext(const cTemplateTree& tree, const cTreeItem* selected,
                      const cTemplateTree* sourceTree, const cTreeItem* copied) {
    if (!sourceTree || !copied || !copied->node || !selected || !selected->node)
        return false;
    if (!PasteNextAllowed(KindOf(selected), KindOf(copied)))
        return false;
    const cTreeItem* parent = ParentItem(tree, selected);
    return sourceTree != &tree || !parent || !tree.IsSelfOrAncestor(copied, parent);
}

cPlacement PastePlacement(const cTreeItem* selected) {
    return First(selected);
}

std::optional<cPlacement> PasteNextPlacement(const cTemplateTree& tree, const cTreeItem* selected) {
    // Without class nodes the top holds categories, which have places after them.
    if (!selected || (!ParentItem(tree, selected) && !WithoutClassNodes(tree)))
        return std::nullopt;
    return After(selected);
}
