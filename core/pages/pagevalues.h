#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/model/nodedata.h"
#include "core/model/records.h"

// What the class, category, policy and version pages show, apart from their widgets. Each
// page loads its values from a node, checks them and writes them back; the widgets only
// show these values and hand edits back, so every rule of a page can be tried without a
// window.

// The "Registry Key" group.
struct cKeyGroupValues {
    bool useDefault = true;      // "Use default:" checked, else "Use key:"
    Text inheritedKey;           // the read-only edit of "Use default:"
    Text ownKey;                 // the own-key edit
    bool defaultEnabled = true;  // "Use default:" and its edit can be used

    // An empty own key is refused while "Use key:" is chosen.
    bool Valid() const { return useDefault || !ownKey.empty(); }
};

// One of the groups "Value when checked" / "Value when unchecked".
struct cValueGroupValues {
    enum class Choice { Default, Delete, Explicit };

    Choice choice = Choice::Default;
    bool numeric = false;
    Text text;

    static cValueGroupValues Load(const cOptionalValue& record);
    // Writes the group into record; valueName becomes the record's value name.
    void ApplyTo(cOptionalValue& record, const Text& valueName) const;
    // The edit and "Numeric" are usable only for an explicit value.
    bool ExplicitControlsEnabled() const { return choice == Choice::Explicit; }
    bool operator==(const cValueGroupValues&) const = default;
};

struct cClassPageValues {
    Text className;

    static cClassPageValues Load(const cPolClass& node);
};

struct cCategoryPageValues {
    Text name;
    cKeyGroupValues key;
    bool explainChecked = false;
    Text explainText;

    static cCategoryPageValues Load(const cCategory& node);
    std::optional<Text> Validate() const;
    void ApplyTo(cCategory& node) const;
    // The own-key edit is read-only while "Use default:" is chosen.
    bool OwnKeyReadOnly() const { return key.useDefault; }
};

// The second policy page: what the sheet hands it before its window exists.
struct cPolicyPage2Values {
    int explainFlag = 0;
    Text explainText;
    int clientExtFlag = 0;
    Text clientExt;
    int supportedFlag = 0;
    Text supportedText;

    static cPolicyPage2Values Load(const cPolicy& node);
    void ApplyTo(cPolicy& node) const;
    bool operator==(const cPolicyPage2Values&) const = default;
};

struct cPolicyPage1Values {
    Text name;
    cKeyGroupValues key;
    bool valueNameChecked = false;
    Text valueName;
    cValueGroupValues valueOn;
    cValueGroupValues valueOff;
    // The page's copies, changed by the action list editor and written by the apply.
    cActionList actionListOn;
    cActionList actionListOff;

    static cPolicyPage1Values Load(const cPolicy& node);
    std::optional<Text> Validate() const;
    // Writes the first page's values into node; the second page's values are taken apart.
    void ApplyTo(cPolicy& node) const;

    // On this page the own-key edit is disabled, not merely read-only, under "Use default:".
    bool OwnKeyEnabled() const { return !key.useDefault; }
    // The value name edit and each group's three radio buttons follow "Value name: ".
    bool ValueNameControlsEnabled() const { return valueNameChecked; }
    // A group's edit and "Numeric" also need its "Explicit value".
    bool ExplicitControlsEnabled(const cValueGroupValues& group) const {
        return valueNameChecked && group.ExplicitControlsEnabled();
    }
};

struct cVersionPageValues {
    static constexpr std::array<TextView, 6> kOperators = {u"<", u"<=", u">", u">=", u"==", u"!="};

    Text op;  // the operator list's text: empty while nothing is selected
    Text number;

    static cVersionPageValues Load(const cPolVersion& node);
    // Index of op in kOperators, or -1.
    int SelectedIndex() const;
    std::optional<Text> Validate() const;
    void ApplyTo(cPolVersion& node) const;
};

// The question asked before the sheet leaves a node with edits not yet applied.
Text ApplyQuestionFor(const cData* node);

// ---- Policy part pages ----------------------------------------------------------------

// A check box followed by an edit: "Default value:", "Max. length:", "Max. Value:", ...
// The edit is read-only while the box is clear; apply stores the box and the edit's text
// whether or not the box is checked.
struct cOptionalPairValues {
    bool checked = false;
    Text text;

    bool EditReadOnly() const { return !checked; }
    bool operator==(const cOptionalPairValues&) const = default;
};

// A pair whose edit shows the text only while the flag is set; one that always shows it; a
// pair written back into a part's flag and text.
cOptionalPairValues PairShownWhenSet(int flag, const Text& text);
cOptionalPairValues PairAlwaysShown(int flag, const Text& text);
void ApplyPair(const cOptionalPairValues& pair, int& flag, Text& text);

// The "Registry Key" group of a part: the own-key edit shows the effective key and is
// read-only under "Use default:".
cKeyGroupValues LoadPartKey(const cPolicyPart& part);
// Writes the group into part; storeAlways: the own-key edit's text becomes KEYNAME also
// under "Use default:" (where it shows the inherited key).
void ApplyPartKey(const cKeyGroupValues& key, cPolicyPart& part, bool storeAlways);
// The one check of a part page.
std::optional<Text> ValidatePartKey(const cKeyGroupValues& key);

struct cCheckBoxPageValues {
    Text name;
    bool checkedByDefault = false;
    cKeyGroupValues key;
    Text valueName;
    cValueGroupValues valueOn;
    cValueGroupValues valueOff;
    cActionList actionListOn;
    cActionList actionListOff;

    static cCheckBoxPageValues Load(const cPolPartCheckBox& part);
    std::optional<Text> Validate() const { return ValidatePartKey(key); }
    void ApplyTo(cPolPartCheckBox& part) const;
};

struct cTextPageValues {
    Text name;

    static cTextPageValues Load(const cPolPartText& part) { return {part.name}; }
    void ApplyTo(cPolPartText& part) const { part.name = name; }
};

struct cEditTextPageValues {
    Text name;
    cOptionalPairValues defaultValue;
    cOptionalPairValues maxLength;
    bool required = false;
    bool oemConvert = false;
    bool expandableText = false;
    cKeyGroupValues key;
    Text valueName;

    static cEditTextPageValues Load(const cPolPartEditText& part);
    std::optional<Text> Validate() const { return ValidatePartKey(key); }
    void ApplyTo(cPolPartEditText& part) const;
};

// A combo box is a text entry with suggestions: the edit text's fields and two more.
struct cComboPageValues : cEditTextPageValues {
    bool noSort = false;
    std::vector<Text> suggestions;  // the rows, top to bottom

    static constexpr TextView kNewSuggestion = u"<new>";

    static cComboPageValues Load(const cPolPartCombo& part);
    void ApplyTo(cPolPartCombo& part) const;

    // "Add": a new row directly after row `selected` (at the top for -1); answers its row.
    static int AddRow(std::vector<Text>& rows, int selected);
    // "Delete": removes row `selected`; answers the row to select then (the one before, the
    // first after removing the first, -1 when none is left). Nothing happens without a
    // selected row.
    static int DeleteRow(std::vector<Text>& rows, int selected);
};

struct cDropDownPageValues {
    Text name;
    bool required = false;
    bool noSort = false;
    cKeyGroupValues key;
    Text valueName;

    static cDropDownPageValues Load(const cPolPartDropDown& part);
    std::optional<Text> Validate() const { return ValidatePartKey(key); }
    // The item list is written by the item list page.
    void ApplyTo(cPolPartDropDown& part) const;
};

struct cListBoxPageValues {
    enum class Naming { ValueContent, Explicit, Prefix };

    Text name;
    bool additive = false;
    Naming naming = Naming::ValueContent;
    Text prefix;
    cKeyGroupValues key;

    static cListBoxPageValues Load(const cPolPartListBox& part);
    std::optional<Text> Validate() const { return ValidatePartKey(key); }
    void ApplyTo(cPolPartListBox& part) const;
    bool PrefixEnabled() const { return naming == Naming::Prefix; }
};

struct cNumericPageValues {
    // What "Max. Value:", "Min. Value:" and "Spin increment:" put into their edits when
    // they are cleared.
    static constexpr TextView kMaxReset = u"9999";
    static constexpr TextView kMinReset = u"0";
    static constexpr TextView kSpinReset = u"1";

    Text name;
    cOptionalPairValues defaultValue;
    cOptionalPairValues max;
    cOptionalPairValues min;
    cOptionalPairValues spin;
    bool required = false;
    bool txtConvert = false;
    cKeyGroupValues key;
    Text valueName;

    static cNumericPageValues Load(const cPolPartNum& part);
    std::optional<Text> Validate() const { return ValidatePartKey(key); }
    void ApplyTo(cPolPartNum& part) const;

protected:
    // The page of a number part of 32 bits or 64, loaded from and written into the part.
    template <class Part>
    void LoadFrom(const Part& part) {
        name = part.name;
        defaultValue = PairShownWhenSet(part.defaultFlag, part.defaultValue);
        max = PairAlwaysShown(part.maxFlag, part.max);
        min = PairAlwaysShown(part.minFlag, part.min);
        spin = PairAlwaysShown(part.spinFlag, part.spin);
        required = part.required != 0;
        txtConvert = part.txtConvert != 0;
        key = LoadPartKey(part);
        valueName = part.valueName;
    }
    template <class Part>
    void WriteTo(Part& part) const {
        part.name = name;
        ApplyPair(defaultValue, part.defaultFlag, part.defaultValue);
        ApplyPair(max, part.maxFlag, part.max);
        ApplyPair(min, part.minFlag, part.min);
        ApplyPair(spin, part.spinFlag, part.spin);
        part.required = required ? 1 : 0;
        part.txtConvert = txtConvert ? 1 : 0;
        ApplyPartKey(key, part, true);
        part.valueName = valueName;
    }
};
