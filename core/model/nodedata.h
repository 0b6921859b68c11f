#pragma once

#include <memory>
#include <vector>

#include "core/model/admxrecord.h"
#include "core/model/records.h"
#include "core/text/text.h"

class cTemplateTree;
class cObjPolPart;
class cPropertySheetSeam;
struct cTreeItem;

// Node kind codes.
enum : int {
    kKindClass = 1,
    kKindCategory = 2,
    kKindPolicy = 3,
    kKindPart = 4,
    kKindVersion = 5,
};

// The data side of every node. Only node objects (nodeobjects.h) are ever created; they
// implement the operations that need the tree.
class cData {
public:
    explicit cData(int kind) : kind(kind) {}
    // A copy takes the kind, the comments and the ADMX record; it is not in a tree until
    // attached.
    cData(const cData& other) : kind(other.kind), comments(other.comments), admx(other.admx) {}
    virtual ~cData();

    virtual std::unique_ptr<cData> Clone() const = 0;
    // Writes the data of `from`, a node of the same kind, into this node; the node keeps its
    // place in the tree, its line, and for a policy its parts. False for another kind.
    virtual bool AssignData(const cData& from) = 0;
    virtual cObjPolPart* GetPartObject() { return nullptr; }
    // Hands this node to the property sheet; answers as the sheet does.
    virtual int ShowProperties(cPropertySheetSeam* sheet);
    virtual Text GetInheritedKey() const = 0;
    virtual Text GetEffectiveKey() const = 0;
    // Shows the node's current name where it is displayed.
    virtual void UpdateDisplay() {}

    void Attach(cTemplateTree* view, cTreeItem* item);
    // Sets the template's modified flag; does nothing on a node outside a template.
    void MarkModified(int flag);
    // The node of the parent tree item, or none.
    cData* ParentObject() const;

    const int kind;
    // The line of the template file the node began on; 0 for a node made in the editor.
    // Copies start without one.
    int line = 0;
    // The whole-line comments that stood before the node's first line in the file, each
    // from its comment mark on; written back in the same place.
    std::vector<Text> comments;
    // What a node read from an ADMX file carries beyond the fields below (admxrecord.h);
    // none for every other node.
    cBoxedOptional<cAdmxRecord> admx;
    cTreeItem* treeItem = nullptr;       // Not owned.
    cTemplateTree* treeView = nullptr;   // Not owned.
    cTemplateTree* ownerView = nullptr;  // Not owned.

protected:
    // Assigning data keeps the kind and everything that ties the node to its tree; the
    // comments and the ADMX record are data and go along.
    cData& operator=(const cData& other) {
        comments = other.comments;
        admx = other.admx;
        return *this;
    }
};

// What the data classes of the node kinds share: the kind code. Copies and assignment are
// cData's (kind and comments, never the tie to a tree) and then the kind's fields, member by
// member, so none of the classes below declares them.
template <int Kind>
class cDataOf : public cData {
protected:
    cDataOf() : cData(Kind) {}
};

class cPolClass : public cDataOf<kKindClass> {
public:
    Text className;
};

class cCategory : public cDataOf<kKindCategory> {
public:
    Text name = u"<new>";
    Text keyName;
    int useDefaultKey = 1;
    // EXPLAIN: what the category is about, held as read.
    Text explainText;
    int explainFlag = 0;
};

class cPolicy : public cDataOf<kKindPolicy> {
public:
    Text name = u"<new>";
    Text keyName;
    Text explainText;
    Text clientExt;
    Text valueName;
    // SUPPORTED: on which systems the policy applies, held as read (often a !! reference).
    Text supportedText;
    int useDefaultKey = 1;
    int valueNameFlag = 0;
    int explainFlag = 0;
    int clientExtFlag = 0;
    int supportedFlag = 0;
    cActionList actionListOn;
    cActionList actionListOff;
    cOptionalValue valueOff;
    cOptionalValue valueOn;
};

class cPolVersion : public cDataOf<kKindVersion> {
public:
    // "If Version " + operator + " " + number.
    void RebuildLabel();

    Text label = u"If Version >= 1";
    Text op = u">=";
    Text number = u"1";
};

// ---- Policy parts ---------------------------------------------------------------------

class cPolicyPart : public cDataOf<kKindPart> {
public:
    cPolicyPart() = default;
    // Copied, never moved: the kinds' data classes share this as a virtual base, which an
    // implicit assignment may assign once per path, and a second move would find it empty.
    cPolicyPart(const cPolicyPart&) = default;
    cPolicyPart& operator=(const cPolicyPart&) = default;

    Text name = u"<new>";
    Text keyName;
    Text valueName;
    Text typeKeyword;
    int useDefaultKey = 1;
};

// What the data classes of the seven part kinds share: the part data as a virtual base, so
// that a part object holds it once (cObjPolPart derives from it too), and the type keyword,
// which Kind names as kKeyword and a fresh part starts with. Only the most derived class
// builds a virtual base, so the keyword is set in the body, where it always takes.
template <typename Kind>
class cPolPartOf : public virtual cPolicyPart {
protected:
    cPolPartOf() { typeKeyword = Kind::kKeyword; }
};

class cPolPartCheckBox : public cPolPartOf<cPolPartCheckBox> {
public:
    static constexpr TextView kKeyword = u"CHECKBOX";

    cActionList actionListOn;
    cActionList actionListOff;
    int defChecked = 0;
    cOptionalValue valueOff;  // none: the default value 0
    cOptionalValue valueOn;   // none: the default value 1
};

// The fields of a part the user types a text into; a combo box has them as an edit text does.
struct cTextEntryFields {
    int defaultFlag = 0;
    Text defaultText;
    int maxLenFlag = 0;
    Text maxLen;
    int oemConvert = 0;
    int required = 0;
    int expandableText = 0;
};

// A combo box is a text entry with suggestions.
class cPolPartCombo : public cPolPartOf<cPolPartCombo>, public cTextEntryFields {
public:
    static constexpr TextView kKeyword = u"COMBOBOX";

    int noSort = 0;
    cSuggestionList suggestions;
};

class cPolPartDropDown : public cPolPartOf<cPolPartDropDown> {
public:
    static constexpr TextView kKeyword = u"DROPDOWNLIST";

    cItemListChain itemList;
    int required = 0;
    int noSort = 0;
};

class cPolPartEditText : public cPolPartOf<cPolPartEditText>, public cTextEntryFields {
public:
    static constexpr TextView kKeyword = u"EDITTEXT";
};

class cPolPartListBox : public cPolPartOf<cPolPartListBox> {
public:
    static constexpr TextView kKeyword = u"LISTBOX";

    int additive = 0;
    int explicitValue = 0;
    int valuePrefixFlag = 0;
    Text valuePrefix;
};

// The fields of a number part, of 32 bits (NUMERIC) or 64 (ADMX longDecimal).
struct cNumberFields {
    int defaultFlag = 0;
    Text defaultValue;
    int maxFlag = 0;
    Text max = u"9999";
    int minFlag = 0;
    Text min = u"0";
    int required = 0;
    int spinFlag = 0;
    Text spin = u"1";
    int txtConvert = 0;
};

class cPolPartNum : public cPolPartOf<cPolPartNum>, public cNumberFields {
public:
    static constexpr TextView kKeyword = u"NUMERIC";
};

class cPolPartText : public cPolPartOf<cPolPartText> {
public:
    static constexpr TextView kKeyword = u"TEXT";
};

// ---- Part kinds that ADMX adds ----------------------------------------------------------
// No ADM template holds them: the ADM reader never makes them from a type keyword, and the
// ADM writer refuses them.

// A list of texts, stored as one multi-string value (ADMX multiText and multiTextBox).
class cPolPartMultiText : public cPolPartOf<cPolPartMultiText> {
public:
    static constexpr TextView kKeyword = u"MULTITEXT";
    static constexpr bool kAdmxOnly = true;

    int required = 0;
    int maxLenFlag = 0;
    Text maxLen;
    int maxStringsFlag = 0;
    Text maxStrings;
    // The height of the box in lines.
    int defaultHeightFlag = 0;
    Text defaultHeight;
};

// A 64-bit number (ADMX longDecimal and longDecimalTextBox); the fields read as NUMERIC's.
class cPolPartLongNum : public cPolPartOf<cPolPartLongNum>, public cNumberFields {
public:
    static constexpr TextView kKeyword = u"LONGDECIMAL";
    static constexpr bool kAdmxOnly = true;
};
