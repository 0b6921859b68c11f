#pragma once

#include <array>
#include <optional>

#include "model/nodedata.h"
#include "model/records.h"

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
