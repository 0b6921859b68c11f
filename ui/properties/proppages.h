#pragma once

#include <QGroupBox>
#include <QWidget>
#include <optional>

#include "core/pages/admxpages.h"
#include "core/pages/pagevalues.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class cTreeOwner;

// A page of the property sheet. The sheet fills it from a node, asks it to check its
// fields, and has it write them back; the page's modified flag tells the sheet whether
// there is anything to ask about.
class cPropPage : public QWidget {
    Q_OBJECT
public:
    explicit cPropPage(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    virtual void Fill(cData& node) { (void)node; }
    // An error text, or none when the page may be applied.
    virtual std::optional<Text> Validate() const { return std::nullopt; }
    // Writes the controls into node when the page is modified; clears the flag always.
    virtual void Apply(cData& node) {
        (void)node;
        m_modified = false;
    }
    // The sheet removes the page: a page whose controls are made on first show drops them.
    virtual void Removed() {}

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // The template whose display texts the page shows; given before each fill.
    void SetTextOwner(const cTreeOwner* owner) { m_textOwner = owner; }

protected:
    void MarkChanged() { m_modified = true; }
    // A set's "$(string.ID)" as the text it stands for, which is what the user reads in the
    // tree; any other text as it is.
    Text Shown(const Text& stored) const;
    // Shows a display text resolved in field; DisplayTextOf gives back the stored text (the
    // reference) for as long as the field shows what it was given.
    void ShowDisplayText(QLineEdit* field, const Text& stored) const;
    static Text DisplayTextOf(const QLineEdit* field);

private:
    QString m_caption;
    bool m_modified = false;
    const cTreeOwner* m_textOwner = nullptr;  // Not owned.
};

// The "Registry Key" group.
class cKeyGroup : public QWidget {
    Q_OBJECT
public:
    explicit cKeyGroup(QWidget* parent = nullptr);

    // disableOwnKey: under "Use default:" the own-key edit is disabled rather than
    // read-only.
    void Set(const cKeyGroupValues& values, bool disableOwnKey);
    cKeyGroupValues Values() const;

    QRadioButton* useDefault;
    QLineEdit* defaultKey;
    QRadioButton* useKey;
    QLineEdit* ownKey;

signals:
    void changed();

private:
    void UpdateOwnKey();

    bool m_disableOwnKey = false;
};

// "Value when checked" or "Value when unchecked".
class cValueGroup : public QGroupBox {
    Q_OBJECT
public:
    cValueGroup(const QString& title, const QString& defaultText, QWidget* parent = nullptr);

    void Set(const cValueGroupValues& values);
    cValueGroupValues Values() const;
    // The radio buttons are usable; the edit and "Numeric" also need "Explicit value".
    void SetUsable(bool usable);

    QRadioButton* defaultValue;
    QRadioButton* deleteValue;
    QRadioButton* explicitValue;
    QCheckBox* numeric;
    QLineEdit* text;

signals:
    void changed();

private:
    void UpdateExplicit();

    bool m_usable = true;
};

// A page whose values are a core struct (pagevalues.h) loaded from and written to a node of
// kind Node: filling, validating and applying are the same for all of them, and each page
// only shows the values and reads them back from its controls.
template <class Node, class PageValues>
class cValuesPage : public cPropPage {
public:
    using cPropPage::cPropPage;

    void Fill(cData& node) override {
        if (auto* target = dynamic_cast<Node*>(&node))
            Show(PageValues::Load(*target));
    }
    std::optional<Text> Validate() const override { return Values().Validate(); }
    // A changed page writes its values into a node of its kind; the flag is cleared either
    // way.
    void Apply(cData& node) override {
        if (auto* target = dynamic_cast<Node*>(&node); target && IsModified())
            Values().ApplyTo(*target);
        SetModified(false);
    }
    virtual PageValues Values() const = 0;

protected:
    // Sets the controls without marking the page changed.
    virtual void Show(const PageValues& values) = 0;
};

class cPPNull : public cPropPage {
    Q_OBJECT
public:
    explicit cPPNull(QWidget* parent = nullptr);
};

class cPPClass1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPClass1(QWidget* parent = nullptr);
    void Fill(cData& node) override;

    QLineEdit* classType;
};

class cPPCategory1 : public cValuesPage<cCategory, cCategoryPageValues> {
    Q_OBJECT
public:
    explicit cPPCategory1(QWidget* parent = nullptr);
    cCategoryPageValues Values() const override;

    QLineEdit* name;
    cKeyGroup* key;
    QCheckBox* explain;
    QLineEdit* explainText;

protected:
    void Show(const cCategoryPageValues& values) override;
};

class cPPPolicy2;

class cPPPolicy1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPPolicy1(cPPPolicy2* second, QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    // Writes both policy pages into the node.
    void Apply(cData& node) override;
    cPolicyPage1Values Values() const;

    QLineEdit* name;
    QAction* nameFault;  // the warning mark of a name that shows a reference to nothing
    cKeyGroup* key;
    QCheckBox* valueNameCheck;
    QLineEdit* valueName;
    cValueGroup* valueOn;
    cValueGroup* valueOff;
    QPushButton* actionList;

private:
    void UpdateValueName();

    cPPPolicy2* m_second;  // Not owned.
    // The node's lists, kept equal to them: the action list editor writes into the node and
    // here, and the apply writes them back unchanged.
    cActionList m_actionListOn;
    cActionList m_actionListOff;
};

// The second policy page. Its values wait in members until the user first shows it; only
// then are its controls made.
class cPPPolicy2 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPPolicy2(QWidget* parent = nullptr);

    void SetValues(const cPolicyPage2Values& values) { m_values = values; }
    // What shows "!!name" references as their display texts: the policy's template.
    void SetResolver(const cTreeOwner* resolver) { m_resolver = resolver; }
    // The members, read back from the controls when the page was shown and changed.
    cPolicyPage2Values TakeValues();
    bool HasWindow() const { return m_content != nullptr; }
    // In an ADMX set the supported-on text follows the reference chosen on the policy's
    // ADMX page: here it is shown, not edited.
    void SetSupportedShownOnly(bool shownOnly);
    void Removed() override;

    QCheckBox* explain = nullptr;
    QLineEdit* explainText = nullptr;
    QLabel* explainShown = nullptr;  // the explain text as the policy editor shows it
    QCheckBox* supported = nullptr;
    QLineEdit* supportedText = nullptr;
    QLabel* supportedShown = nullptr;  // the supported-on text as the policy editor shows it
    QCheckBox* clientExt = nullptr;
    QLineEdit* clientExtText = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_supportedShownOnly = false;
    void CreateWindow();
    // Puts the text a "!!name" reference in edit shows into shown, empty for any other text.
    void UpdateShown(QLabel* shown, const QLineEdit* edit);

    cPolicyPage2Values m_values;
    QWidget* m_content = nullptr;
    const cTreeOwner* m_resolver = nullptr;  // Not owned.
};

class cPPVersion : public cValuesPage<cPolVersion, cVersionPageValues> {
    Q_OBJECT
public:
    explicit cPPVersion(QWidget* parent = nullptr);
    cVersionPageValues Values() const override;

    QComboBox* op;
    QLineEdit* number;

protected:
    void Show(const cVersionPageValues& values) override;
};

// ---- Policy part pages ----------------------------------------------------------------

class QTreeWidget;

// A check box followed by an edit that is read-only while the box is clear. A click that
// clears the box puts the reset text, if any, into the edit.
class cPairRow : public QObject {
    Q_OBJECT
public:
    cPairRow(const QString& label, QWidget* parent, const QString& resetText = QString());

    void Set(const cOptionalPairValues& values);
    cOptionalPairValues Values() const;

    QCheckBox* box;
    QLineEdit* edit;

signals:
    void changed();

private:
    QString m_resetText;
};

class cPPCheckBox1 : public cValuesPage<cPolPartCheckBox, cCheckBoxPageValues> {
    Q_OBJECT
public:
    explicit cPPCheckBox1(QWidget* parent = nullptr);
    cCheckBoxPageValues Values() const override;

    QLineEdit* name;
    QRadioButton* checkedByDefault;
    QRadioButton* uncheckedByDefault;
    cKeyGroup* key;
    QLineEdit* valueName;
    cValueGroup* valueOn;
    cValueGroup* valueOff;
    QPushButton* actionList;

protected:
    void Show(const cCheckBoxPageValues& values) override;

private:
    // The part's lists, kept equal to them as on the policy page.
    cActionList m_actionListOn;
    cActionList m_actionListOff;
};

class cPPText1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPText1(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    void Apply(cData& node) override;

    QLineEdit* text;
};

class cPPEditText1 : public cValuesPage<cPolPartEditText, cEditTextPageValues> {
    Q_OBJECT
public:
    explicit cPPEditText1(QWidget* parent = nullptr);
    cEditTextPageValues Values() const override;

    QLineEdit* label;
    cPairRow* defaultValue;
    cPairRow* maxLength;
    QCheckBox* required;
    QCheckBox* oemConvert;
    QCheckBox* expandableText;
    cKeyGroup* key;
    QLineEdit* valueName;

protected:
    void Show(const cEditTextPageValues& values) override;
};

class cPPCombo1 : public cValuesPage<cPolPartCombo, cComboPageValues> {
    Q_OBJECT
public:
    explicit cPPCombo1(QWidget* parent = nullptr);
    cComboPageValues Values() const override;

    // "Add" and "Delete" of the suggestions group.
    void AddSuggestion();
    void DeleteSuggestion();
    int SelectedSuggestion() const;

    QLineEdit* label;
    cPairRow* defaultValue;
    cPairRow* maxLength;
    QCheckBox* required;
    QCheckBox* oemConvert;
    QCheckBox* expandableText;
    cKeyGroup* key;
    QLineEdit* valueName;
    QPushButton* add;
    QPushButton* remove;
    QTreeWidget* suggestions;
    QCheckBox* noSort;

protected:
    void Show(const cComboPageValues& values) override;

private:
    void SetRows(const std::vector<Text>& rows, int selected);
    std::vector<Text> Rows() const;
};

// The drop-down list's first page. The item list is edited on the part's second page,
// which this page fills and applies together with its own fields.
class cPPDro1 : public cValuesPage<cPolPartDropDown, cDropDownPageValues> {
    Q_OBJECT
public:
    // itemList: the item list page, or none while the sheet has none.
    explicit cPPDro1(cPropPage* itemList, QWidget* parent = nullptr);
    void Fill(cData& node) override;
    // Writes this page, then the item list page, into the part.
    void Apply(cData& node) override;
    cDropDownPageValues Values() const override;

    QLineEdit* name;
    QCheckBox* required;
    QCheckBox* noSort;
    cKeyGroup* key;
    QLineEdit* valueName;

protected:
    void Show(const cDropDownPageValues& values) override;

private:
    cPropPage* m_itemList;  // Not owned: the sheet's item list page.
};

class cPPListBox1 : public cValuesPage<cPolPartListBox, cListBoxPageValues> {
    Q_OBJECT
public:
    explicit cPPListBox1(QWidget* parent = nullptr);
    cListBoxPageValues Values() const override;

    QLineEdit* name;
    QCheckBox* additive;
    QRadioButton* valueContent;
    QRadioButton* explicitName;
    QRadioButton* prefixed;
    QLineEdit* prefix;
    cKeyGroup* key;

protected:
    void Show(const cListBoxPageValues& values) override;
};

// A number part's page, of 32 bits or 64: the same rows, shown and read back alike. The box
// of the values' conversion to text is captioned asTextCaption.
template <class Part, class PageValues>
class cNumberPage : public cValuesPage<Part, PageValues> {
public:
    cNumberPage(const QString& asTextCaption, bool digitsOnly, QWidget* parent);
    PageValues Values() const override;

    QLineEdit* label;
    cPairRow* defaultValue;
    cPairRow* max;
    cPairRow* min;
    cPairRow* spin;
    QCheckBox* required;
    QCheckBox* asText;
    cKeyGroup* key;
    QLineEdit* valueName;

protected:
    void Show(const PageValues& values) override;
};

class cPPNum1 : public cNumberPage<cPolPartNum, cNumericPageValues> {
    Q_OBJECT
public:
    explicit cPPNum1(QWidget* parent = nullptr);
};

// ---- Pages of what ADMX adds -------------------------------------------------------------

class cPPMultiText1 : public cValuesPage<cPolPartMultiText, cMultiTextPageValues> {
    Q_OBJECT
public:
    explicit cPPMultiText1(QWidget* parent = nullptr);
    cMultiTextPageValues Values() const override;

    QLineEdit* label;
    cPairRow* maxLength;
    cPairRow* maxStrings;
    cPairRow* defaultHeight;
    QCheckBox* required;
    cKeyGroup* key;
    QLineEdit* valueName;

protected:
    void Show(const cMultiTextPageValues& values) override;
};

class cPPLongNum1 : public cNumberPage<cPolPartLongNum, cLongNumPageValues> {
    Q_OBJECT
public:
    explicit cPPLongNum1(QWidget* parent = nullptr);
};

extern template class cNumberPage<cPolPartNum, cNumericPageValues>;
extern template class cNumberPage<cPolPartLongNum, cLongNumPageValues>;

// A policy's name, class and supported-on reference in an ADMX set.
class cPPPolicyAdmx : public cPropPage {
    Q_OBJECT
public:
    explicit cPPPolicyAdmx(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    void Apply(cData& node) override;
    void Removed() override { m_node = nullptr; }
    cAdmxPolicyPageValues Values() const;

    QLineEdit* name;
    QComboBox* policyClass;
    QComboBox* supportedOn;  // editable: a reference chosen or typed
    QLabel* supportedShown;  // what the reference shows
    QLabel* key;             // the policy's key, edited on its first page
    QLabel* mdmNote;         // under the key, when cloud device management cannot set it
    QLabel* kept;            // the element's annotations, seeAlso and keywords

private:
    void UpdateShown();
    void ShowKey(const cPolicy& policy);

    const cPolicy* m_node = nullptr;  // Not owned: the node filled from, while shown.
    std::vector<cSupportedChoice> m_choices;
};

// A category of an ADMX set: its name, and what its element holds beyond the pages.
class cPPCategoryAdmx : public cPropPage {
    Q_OBJECT
public:
    explicit cPPCategoryAdmx(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    void Apply(cData& node) override;
    void Removed() override { m_node = nullptr; }

    QLineEdit* name;
    QLabel* kept;

private:
    const cCategory* m_node = nullptr;  // Not owned: the node filled from, while shown.
};

// The id of a part's element in an ADMX set, and for a text or number whether it is soft.
class cPPElementAdmx : public cPropPage {
    Q_OBJECT
public:
    explicit cPPElementAdmx(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    void Apply(cData& node) override;
    void Removed() override { m_node = nullptr; }

    QLineEdit* id;
    QCheckBox* soft;  // hidden for the kinds that cannot be soft

private:
    cAdmxElementPageValues Values() const;

    const cPolicyPart* m_node = nullptr;  // Not owned.
};
