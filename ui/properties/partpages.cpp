#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/model/nodeobjects.h"
#include "ui/properties/actionlisteditor.h"
#include "ui/properties/proppages.h"

// The pages of the policy part kinds and of what ADMX adds to a policy and a part; the node
// pages and the shared groups are in proppages.cpp.

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

}  // namespace

// ---- Policy part pages ----------------------------------------------------------------

namespace {

// Connects a line edit's changes to the page's modified flag.
template <typename Page>
void MarkOnEdit(Page* page, QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textChanged, page, [page] { page->SetModified(true); });
}

template <typename Page>
void MarkOnClick(Page* page, QAbstractButton* button) {
    QObject::connect(button, &QAbstractButton::clicked, page, [page] { page->SetModified(true); });
}

void SetChecked(QAbstractButton* button, bool checked) {
    QSignalBlocker block(button);
    button->setChecked(checked);
}

void SetText(QLineEdit* edit, const Text& text) {
    QSignalBlocker block(edit);
    edit->setText(ToQ(text));
}

QVBoxLayout* PageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    return layout;
}

// "Name:" / "Label:" / ... with its edit, as the first row of a page.
QLineEdit* NameRow(QVBoxLayout* layout, const QString& label, QWidget* page) {
    auto* edit = new QLineEdit(page);
    auto* form = new QFormLayout;
    form->addRow(label, edit);
    layout->addLayout(form);
    return edit;
}

// The rows of the registry value a part sets: its key (the policy's or its own) and its value
// name, each marking the page modified.
template <typename Page>
void KeyRows(QVBoxLayout* layout, Page* page, cKeyGroup*& key, QLineEdit*& valueName) {
    key = new cKeyGroup(page);
    layout->addWidget(key);
    valueName = NameRow(layout, QStringLiteral("Value name:"), page);
    QObject::connect(key, &cKeyGroup::changed, page, [page] { page->SetModified(true); });
    MarkOnEdit(page, valueName);
}

template <typename Values>
void ShowKeyRows(cKeyGroup* key, QLineEdit* valueName, const Values& values) {
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
}

template <typename Values>
void ReadKeyRows(const cKeyGroup* key, const QLineEdit* valueName, Values& values) {
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
}

QGridLayout* PairGrid(QVBoxLayout* layout, std::initializer_list<cPairRow*> pairs) {
    auto* grid = new QGridLayout;
    int row = 0;
    for (cPairRow* pair : pairs) {
        grid->addWidget(pair->box, row, 0);
        grid->addWidget(pair->edit, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    return grid;
}

}  // namespace

cPairRow::cPairRow(const QString& label, QWidget* parent, const QString& resetText)
    : QObject(parent), m_resetText(resetText) {
    box = new QCheckBox(label, parent);
    edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    connect(box, &QCheckBox::clicked, this, [this] {
        bool on = box->isChecked();
        edit->setReadOnly(!on);
        if (!on && !m_resetText.isNull()) {
            QSignalBlocker block(edit);
            edit->setText(m_resetText);
        }
        emit changed();
    });
    connect(edit, &QLineEdit::textChanged, this, &cPairRow::changed);
}

void cPairRow::Set(const cOptionalPairValues& values) {
    SetChecked(box, values.checked);
    SetText(edit, values.text);
    edit->setReadOnly(values.EditReadOnly());
}

cOptionalPairValues cPairRow::Values() const {
    return {box->isChecked(), FromQ(edit->text())};
}

// ---- Check box ----

cPPCheckBox1::cPPCheckBox1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    name = NameRow(layout, QStringLiteral("Name:"), this);
    checkedByDefault = new QRadioButton(QStringLiteral("Checked by default"), this);
    uncheckedByDefault = new QRadioButton(QStringLiteral("Unchecked by default"), this);
    auto* defaults = new QHBoxLayout;
    defaults->addWidget(checkedByDefault);
    defaults->addWidget(uncheckedByDefault);
    defaults->addStretch();
    layout->addLayout(defaults);
    KeyRows(layout, this, key, valueName);
    valueOn = new cValueGroup(QStringLiteral("Value when checked"),
                              QStringLiteral("Default value (1)"), this);
    valueOff = new cValueGroup(QStringLiteral("Value when unchecked"),
                               QStringLiteral("Default value (0)"), this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(valueOn);
    groups->addWidget(valueOff);
    layout->addLayout(groups);
    actionList = new QPushButton(QStringLiteral("Action list"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(actionList);
    layout->addLayout(buttons);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, name);
    MarkOnClick(this, checkedByDefault);
    MarkOnClick(this, uncheckedByDefault);
    connect(valueOn, &cValueGroup::changed, this, changed);
    connect(valueOff, &cValueGroup::changed, this, changed);
    // OK writes the lists into the node at once; the page's copies follow it, and its other
    // edits stay pending.
    connect(actionList, &QPushButton::clicked, this,
            [this] { EditNodeActionLists(this, m_actionListOn, m_actionListOff); });
}

void cPPCheckBox1::Show(const cCheckBoxPageValues& values) {
    SetText(name, values.name);
    (values.checkedByDefault ? checkedByDefault : uncheckedByDefault)->setChecked(true);
    ShowKeyRows(key, valueName, values);
    for (auto [group, groupValues] :
         {std::pair{valueOn, values.valueOn}, std::pair{valueOff, values.valueOff}}) {
        group->Set(groupValues);
        // Until a radio button is clicked, a default or delete value leaves its edit
        // enabled but read-only, and "Numeric" usable.
        if (groupValues.choice != cValueGroupValues::Choice::Explicit) {
            group->text->setEnabled(true);
            group->text->setReadOnly(true);
            group->numeric->setEnabled(true);
        }
    }
    m_actionListOn = values.actionListOn;
    m_actionListOff = values.actionListOff;
}

cCheckBoxPageValues cPPCheckBox1::Values() const {
    cCheckBoxPageValues values;
    values.name = FromQ(name->text());
    values.checkedByDefault = checkedByDefault->isChecked();
    ReadKeyRows(key, valueName, values);
    values.valueOn = valueOn->Values();
    values.valueOff = valueOff->Values();
    values.actionListOn = m_actionListOn;
    values.actionListOff = m_actionListOff;
    return values;
}

// ---- Text ----

cPPText1::cPPText1(QWidget* parent) : cPropPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    text = NameRow(layout, QStringLiteral("Text:"), this);
    layout->addStretch();
    MarkOnEdit(this, text);
}

void cPPText1::Fill(cData& node) {
    if (auto* part = dynamic_cast<cPolPartText*>(&node))
        SetText(text, cTextPageValues::Load(*part).name);
}

void cPPText1::Apply(cData& node) {
    auto* part = dynamic_cast<cPolPartText*>(&node);
    if (part && IsModified())
        cTextPageValues{FromQ(text->text())}.ApplyTo(*part);
    SetModified(false);
}

// ---- Edit text ----

cPPEditText1::cPPEditText1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    label = NameRow(layout, QStringLiteral("Label:"), this);
    defaultValue = new cPairRow(QStringLiteral("Default value:"), this);
    maxLength = new cPairRow(QStringLiteral("Max. length:"), this);
    maxLength->edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    PairGrid(layout, {defaultValue, maxLength});
    required = new QCheckBox(QStringLiteral("Required"), this);
    oemConvert = new QCheckBox(QStringLiteral("OEMConvert"), this);
    expandableText = new QCheckBox(QStringLiteral("Expandable text"), this);
    for (QCheckBox* box : {required, oemConvert, expandableText}) {
        layout->addWidget(box);
        MarkOnClick(this, box);
    }
    KeyRows(layout, this, key, valueName);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, label);
    connect(defaultValue, &cPairRow::changed, this, changed);
    connect(maxLength, &cPairRow::changed, this, changed);
}

void cPPEditText1::Show(const cEditTextPageValues& values) {
    SetText(label, values.name);
    defaultValue->Set(values.defaultValue);
    maxLength->Set(values.maxLength);
    SetChecked(required, values.required);
    SetChecked(oemConvert, values.oemConvert);
    SetChecked(expandableText, values.expandableText);
    ShowKeyRows(key, valueName, values);
}

cEditTextPageValues cPPEditText1::Values() const {
    cEditTextPageValues values;
    values.name = FromQ(label->text());
    values.defaultValue = defaultValue->Values();
    values.maxLength = maxLength->Values();
    values.required = required->isChecked();
    values.oemConvert = oemConvert->isChecked();
    values.expandableText = expandableText->isChecked();
    ReadKeyRows(key, valueName, values);
    return values;
}

// ---- Combo box ----

cPPCombo1::cPPCombo1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    label = NameRow(layout, QStringLiteral("Label:"), this);
    defaultValue = new cPairRow(QStringLiteral("Default value:"), this);
    maxLength = new cPairRow(QStringLiteral("Max. length:"), this);
    PairGrid(layout, {defaultValue, maxLength});
    required = new QCheckBox(QStringLiteral("Required"), this);
    oemConvert = new QCheckBox(QStringLiteral("OEMConvert"), this);
    expandableText = new QCheckBox(QStringLiteral("Expandable text"), this);
    for (QCheckBox* box : {required, oemConvert, expandableText}) {
        layout->addWidget(box);
        MarkOnClick(this, box);
    }
    KeyRows(layout, this, key, valueName);

    auto* group = new QGroupBox(QStringLiteral("Suggestions"), this);
    add = new QPushButton(QStringLiteral("Add"), group);
    remove = new QPushButton(QStringLiteral("Delete"), group);
    suggestions = new QTreeWidget(group);
    suggestions->setColumnCount(1);
    suggestions->setHeaderLabels({QStringLiteral("Suggestions")});
    suggestions->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    suggestions->setColumnWidth(0, 165);
    suggestions->setHeaderHidden(true);
    suggestions->setRootIsDecorated(false);
    suggestions->setSelectionMode(QAbstractItemView::SingleSelection);
    suggestions->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
    noSort = new QCheckBox(QStringLiteral("Do Not Sort "), group);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* groupLayout = new QGridLayout(group);
    groupLayout->addLayout(buttons, 0, 0);
    groupLayout->addWidget(suggestions, 0, 1);
    groupLayout->addWidget(noSort, 1, 1);
    layout->addWidget(group, 1);

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, label);
    connect(defaultValue, &cPairRow::changed, this, changed);
    connect(maxLength, &cPairRow::changed, this, changed);
    MarkOnClick(this, noSort);
    connect(add, &QPushButton::clicked, this, &cPPCombo1::AddSuggestion);
    connect(remove, &QPushButton::clicked, this, &cPPCombo1::DeleteSuggestion);
    // Only an edit that ends with a new text changes a row; a cancelled one changes nothing.
    connect(suggestions, &QTreeWidget::itemChanged, this, changed);
}

void cPPCombo1::Show(const cComboPageValues& values) {
    SetText(label, values.name);
    defaultValue->Set(values.defaultValue);
    maxLength->Set(values.maxLength);
    SetChecked(required, values.required);
    SetChecked(oemConvert, values.oemConvert);
    SetChecked(expandableText, values.expandableText);
    SetChecked(noSort, values.noSort);
    ShowKeyRows(key, valueName, values);
    SetRows(values.suggestions, -1);
}

void cPPCombo1::SetRows(const std::vector<Text>& rows, int selected) {
    QSignalBlocker block(suggestions);
    suggestions->clear();
    for (const Text& row : rows) {
        auto* item = new QTreeWidgetItem(suggestions, {ToQ(row)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (selected >= 0) {
        QTreeWidgetItem* item = suggestions->topLevelItem(selected);
        suggestions->setCurrentItem(item);
        suggestions->scrollToItem(item);
    }
}

std::vector<Text> cPPCombo1::Rows() const {
    std::vector<Text> rows;
    rows.reserve(size_t(suggestions->topLevelItemCount()));
    // Each row is taken whole, however long.
    for (int i = 0; i < suggestions->topLevelItemCount(); ++i)
        rows.push_back(FromQ(suggestions->topLevelItem(i)->text(0)));
    return rows;
}

int cPPCombo1::SelectedSuggestion() const {
    QList<QTreeWidgetItem*> selected = suggestions->selectedItems();
    return selected.isEmpty() ? -1 : suggestions->indexOfTopLevelItem(selected.front());
}

void cPPCombo1::AddSuggestion() {
    std::vector<Text> rows = Rows();
    int row = cComboPageValues::AddRow(rows, SelectedSuggestion());
    SetRows(rows, row);
    MarkChanged();
    suggestions->setFocus();
    // The new row is renamed in place right away.
    suggestions->editItem(suggestions->topLevelItem(row), 0);
}

void cPPCombo1::DeleteSuggestion() {
    int selected = SelectedSuggestion();
    if (selected < 0)
        return;
    std::vector<Text> rows = Rows();
    int next = cComboPageValues::DeleteRow(rows, selected);
    SetRows(rows, next);
    MarkChanged();
}

cComboPageValues cPPCombo1::Values() const {
    cComboPageValues values;
    values.name = FromQ(label->text());
    values.defaultValue = defaultValue->Values();
    values.maxLength = maxLength->Values();
    values.required = required->isChecked();
    values.oemConvert = oemConvert->isChecked();
    values.expandableText = expandableText->isChecked();
    values.noSort = noSort->isChecked();
    ReadKeyRows(key, valueName, values);
    values.suggestions = Rows();
    return values;
}

// ---- Drop-down list ----

cPPDro1::cPPDro1(cPropPage* itemList, QWidget* parent)
    : cValuesPage(QStringLiteral("General"), parent), m_itemList(itemList) {
    auto* layout = PageLayout(this);
    name = NameRow(layout, QStringLiteral("List name:"), this);
    required = new QCheckBox(QStringLiteral("Required"), this);
    noSort = new QCheckBox(QStringLiteral("Do Not Sort"), this);
    for (QCheckBox* box : {required, noSort}) {
        layout->addWidget(box);
        MarkOnClick(this, box);
    }
    KeyRows(layout, this, key, valueName);
    layout->addStretch();
    MarkOnEdit(this, name);
}

void cPPDro1::Show(const cDropDownPageValues& values) {
    SetText(name, values.name);
    SetChecked(required, values.required);
    SetChecked(noSort, values.noSort);
    ShowKeyRows(key, valueName, values);
}

void cPPDro1::Fill(cData& node) {
    cValuesPage::Fill(node);
    // The item list page takes the part's ITEMLIST from here.
    if (m_itemList)
        m_itemList->Fill(node);
}

cDropDownPageValues cPPDro1::Values() const {
    cDropDownPageValues values;
    values.name = FromQ(name->text());
    values.required = required->isChecked();
    values.noSort = noSort->isChecked();
    ReadKeyRows(key, valueName, values);
    return values;
}

void cPPDro1::Apply(cData& node) {
    cValuesPage::Apply(node);
    if (m_itemList)
        m_itemList->Apply(node);  // writes only when that page was changed; clears its flag
}

// ---- List box ----

cPPListBox1::cPPListBox1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    name = NameRow(layout, QStringLiteral("Category name:"), this);
    additive = new QCheckBox(QStringLiteral("Additive"), this);
    layout->addWidget(additive);
    valueContent = new QRadioButton(QStringLiteral("Value name equals value content"), this);
    explicitName =
        new QRadioButton(QStringLiteral("Specify value name explicitly in Policy Editor"), this);
    prefixed = new QRadioButton(QStringLiteral("Value name equals prefix plus value"), this);
    for (QRadioButton* radio : {valueContent, explicitName, prefixed}) {
        layout->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this, [this] {
            prefix->setEnabled(prefixed->isChecked());
            MarkChanged();
        });
    }
    prefix = NameRow(layout, QStringLiteral("Prefix:"), this);
    key = new cKeyGroup(this);
    layout->addWidget(key);
    layout->addStretch();
    MarkOnEdit(this, name);
    MarkOnClick(this, additive);
    MarkOnEdit(this, prefix);
    connect(key, &cKeyGroup::changed, this, [this] { MarkChanged(); });
}

void cPPListBox1::Show(const cListBoxPageValues& values) {
    SetText(name, values.name);
    SetChecked(additive, values.additive);
    switch (values.naming) {
        case cListBoxPageValues::Naming::ValueContent:
            valueContent->setChecked(true);
            break;
        case cListBoxPageValues::Naming::Explicit:
            explicitName->setChecked(true);
            break;
        case cListBoxPageValues::Naming::Prefix:
            prefixed->setChecked(true);
            break;
    }
    SetText(prefix, values.prefix);
    prefix->setEnabled(values.PrefixEnabled());
    key->Set(values.key, false);
}

cListBoxPageValues cPPListBox1::Values() const {
    cListBoxPageValues values;
    values.name = FromQ(name->text());
    values.additive = additive->isChecked();
    if (explicitName->isChecked())
        values.naming = cListBoxPageValues::Naming::Explicit;
    else if (prefixed->isChecked())
        values.naming = cListBoxPageValues::Naming::Prefix;
    values.prefix = FromQ(prefix->text());
    values.key = key->Values();
    return values;
}

// ---- Numbers of 32 and 64 bits ----

namespace {

QRegularExpressionValidator* DigitsOnly(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parent);
}

}  // namespace

template <class Part, class PageValues>
cNumberPage<Part, PageValues>::cNumberPage(const QString& asTextCaption, bool digitsOnly,
                                           QWidget* parent)
    : cValuesPage<Part, PageValues>(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    label = NameRow(layout, QStringLiteral("Label:"), this);
    defaultValue = new cPairRow(QStringLiteral("Default value:"), this);
    max =
        new cPairRow(QStringLiteral("Max. Value:"), this, ToQ(Text(cNumericPageValues::kMaxReset)));
    min =
        new cPairRow(QStringLiteral("Min. Value:"), this, ToQ(Text(cNumericPageValues::kMinReset)));
    spin = new cPairRow(QStringLiteral("Spin increment:"), this,
                        ToQ(Text(cNumericPageValues::kSpinReset)));
    if (digitsOnly)
        for (cPairRow* pair : {defaultValue, max, min, spin})
            pair->edit->setValidator(DigitsOnly(this));
    PairGrid(layout, {defaultValue, max, min, spin});
    required = new QCheckBox(QStringLiteral("Required"), this);
    asText = new QCheckBox(asTextCaption, this);
    for (QCheckBox* box : {required, asText}) {
        layout->addWidget(box);
        MarkOnClick(this, box);
    }
    KeyRows(layout, this, key, valueName);
    layout->addStretch();

    auto changed = [this] { this->MarkChanged(); };
    MarkOnEdit(this, label);
    for (cPairRow* pair : {defaultValue, max, min, spin})
        QObject::connect(pair, &cPairRow::changed, this, changed);
}

template <class Part, class PageValues>
void cNumberPage<Part, PageValues>::Show(const PageValues& values) {
    SetText(label, values.name);
    defaultValue->Set(values.defaultValue);
    max->Set(values.max);
    min->Set(values.min);
    spin->Set(values.spin);
    SetChecked(required, values.required);
    SetChecked(asText, values.txtConvert);
    ShowKeyRows(key, valueName, values);
}

template <class Part, class PageValues>
PageValues cNumberPage<Part, PageValues>::Values() const {
    PageValues values;
    values.name = FromQ(label->text());
    values.defaultValue = defaultValue->Values();
    values.max = max->Values();
    values.min = min->Values();
    values.spin = spin->Values();
    values.required = required->isChecked();
    values.txtConvert = asText->isChecked();
    ReadKeyRows(key, valueName, values);
    return values;
}

template class cNumberPage<cPolPartNum, cNumericPageValues>;
template class cNumberPage<cPolPartLongNum, cLongNumPageValues>;

cPPNum1::cPPNum1(QWidget* parent) : cNumberPage(QStringLiteral("Convert to Text"), false, parent) {}

// A 64-bit number is typed as digits: the page refuses a sign or a letter as it is typed.
cPPLongNum1::cPPLongNum1(QWidget* parent)
    : cNumberPage(QStringLiteral("Store as text"), true, parent) {}

// ---- Multi-line text ----

cPPMultiText1::cPPMultiText1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    label = NameRow(layout, QStringLiteral("Label:"), this);
    maxLength = new cPairRow(QStringLiteral("Max. length:"), this);
    maxStrings = new cPairRow(QStringLiteral("Max. strings:"), this);
    defaultHeight = new cPairRow(QStringLiteral("Height in lines:"), this);
    for (cPairRow* pair : {maxLength, maxStrings, defaultHeight})
        pair->edit->setValidator(DigitsOnly(this));
    PairGrid(layout, {maxLength, maxStrings, defaultHeight});
    required = new QCheckBox(QStringLiteral("Required"), this);
    layout->addWidget(required);
    KeyRows(layout, this, key, valueName);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, label);
    for (cPairRow* pair : {maxLength, maxStrings, defaultHeight})
        connect(pair, &cPairRow::changed, this, changed);
    MarkOnClick(this, required);
}

void cPPMultiText1::Show(const cMultiTextPageValues& values) {
    SetText(label, values.name);
    maxLength->Set(values.maxLength);
    maxStrings->Set(values.maxStrings);
    defaultHeight->Set(values.defaultHeight);
    SetChecked(required, values.required);
    ShowKeyRows(key, valueName, values);
}

cMultiTextPageValues cPPMultiText1::Values() const {
    cMultiTextPageValues values;
    values.name = FromQ(label->text());
    values.maxLength = maxLength->Values();
    values.maxStrings = maxStrings->Values();
    values.defaultHeight = defaultHeight->Values();
    values.required = required->isChecked();
    ReadKeyRows(key, valueName, values);
    return values;
}

// ---- What an ADMX element keeps beyond the pages ----

namespace {

QLabel* KeptLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setToolTip(QStringLiteral("Kept as the file has it; the save writes it back."));
    return label;
}

// The name the save gives a node that has none yet, as the name field's hint.
void ShowDerivedName(QLineEdit* name, const cData& node) {
    const Text derived = DerivedAdmxName(node);
    name->setPlaceholderText(
        derived.empty() ? QString() : QStringLiteral("%1 (given on save)").arg(ToQ(derived)));
}

void ShowKept(QLabel* label, const cData& node) {
    QString text;
    for (const cAdmxKeptEntry& entry : AdmxKeptEntries(node))
        text += ToQ(entry.what) + QStringLiteral(": ") + ToQ(entry.text) + u'\n';
    label->setText(text.trimmed());
    label->setVisible(!text.isEmpty());
}

}  // namespace

cPPCategoryAdmx::cPPCategoryAdmx(QWidget* parent) : cPropPage(QStringLiteral("ADMX"), parent) {
    auto* layout = PageLayout(this);
    auto* form = new QFormLayout;
    name = new QLineEdit(this);
    form->addRow(QStringLiteral("Name:"), name);
    layout->addLayout(form);
    kept = KeptLabel(this);
    layout->addWidget(kept);
    auto* note = new QLabel(QStringLiteral("The name identifies the category in its file and "
                                           "in the other files that refer to it."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    MarkOnEdit(this, name);
}

void cPPCategoryAdmx::Fill(cData& node) {
    m_node = dynamic_cast<cCategory*>(&node);
    SetText(name, m_node ? cAdmxCategoryPageValues::Load(*m_node).name : Text());
    ShowDerivedName(name, node);
    ShowKept(kept, node);
}

std::optional<Text> cPPCategoryAdmx::Validate() const {
    if (!m_node || !IsModified())
        return std::nullopt;
    return cAdmxCategoryPageValues{FromQ(name->text().trimmed())}.Validate(*m_node);
}

void cPPCategoryAdmx::Apply(cData& node) {
    if (auto* category = dynamic_cast<cCategory*>(&node); category && IsModified())
        cAdmxCategoryPageValues{FromQ(name->text().trimmed())}.ApplyTo(*category);
    SetModified(false);
    // The display text may have changed on the first page.
    ShowDerivedName(name, node);
}

// ---- A policy in an ADMX set ----

cPPPolicyAdmx::cPPPolicyAdmx(QWidget* parent) : cPropPage(QStringLiteral("ADMX"), parent) {
    auto* layout = PageLayout(this);
    auto* form = new QFormLayout;
    name = new QLineEdit(this);
    form->addRow(QStringLiteral("Name:"), name);
    policyClass = new QComboBox(this);
    policyClass->addItems(
        {QStringLiteral("Machine"), QStringLiteral("User"), QStringLiteral("Both")});
    form->addRow(QStringLiteral("Class:"), policyClass);
    supportedOn = new QComboBox(this);
    supportedOn->setEditable(true);
    supportedOn->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Supported on:"), supportedOn);
    supportedShown = new QLabel(this);
    supportedShown->setTextFormat(Qt::PlainText);
    supportedShown->setWordWrap(true);
    form->addRow(QString(), supportedShown);
    key = new QLabel(this);
    key->setTextFormat(Qt::PlainText);
    key->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Key:"), key);
    mdmNote = new QLabel(this);
    mdmNote->setTextFormat(Qt::PlainText);
    mdmNote->setWordWrap(true);
    form->addRow(QString(), mdmNote);
    layout->addLayout(form);
    kept = KeptLabel(this);
    layout->addWidget(kept);
    auto* note = new QLabel(
        QStringLiteral("The name identifies the policy in its file and in the other files "
                       "that refer to it. Supported on names a definition of this file or, "
                       "with its prefix, of a namespace the file uses."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();

    MarkOnEdit(this, name);
    connect(policyClass, &QComboBox::activated, this, [this] { MarkChanged(); });
    connect(supportedOn, &QComboBox::editTextChanged, this, [this] {
        UpdateShown();
        MarkChanged();
    });
}

void cPPPolicyAdmx::Fill(cData& node) {
    auto* policy = dynamic_cast<cPolicy*>(&node);
    m_node = policy;
    if (!policy)
        return;
    cAdmxPolicyPageValues values = cAdmxPolicyPageValues::Load(*policy);
    m_choices = values.choices;
    SetText(name, values.name);
    {
        QSignalBlocker block(policyClass);
        policyClass->setCurrentIndex(int(values.policyClass));
    }
    QSignalBlocker block(supportedOn);
    supportedOn->clear();
    supportedOn->addItem(QString());  // none
    for (const cSupportedChoice& choice : m_choices) {
        supportedOn->addItem(ToQ(choice.reference));
        supportedOn->setItemData(supportedOn->count() - 1, ToQ(choice.shown), Qt::ToolTipRole);
    }
    supportedOn->setEditText(ToQ(values.supportedOn));
    UpdateShown();
    ShowDerivedName(name, *policy);
    ShowKept(kept, *policy);
    ShowKey(*policy);
}

void cPPPolicyAdmx::ShowKey(const cPolicy& policy) {
    key->setText(ToQ(policy.GetEffectiveKey()));
    const Text note = MdmKeyNote(policy);
    mdmNote->setText(ToQ(note));
    mdmNote->setVisible(!note.empty());
}

void cPPPolicyAdmx::UpdateShown() {
    const Text reference = FromQ(supportedOn->currentText());
    QString shown;
    bool known = reference.empty();
    for (const cSupportedChoice& choice : m_choices)
        if (choice.reference == reference) {
            shown = ToQ(choice.shown);
            known = true;
        }
    // A reference read as it was written, though it names nothing: the user picks another.
    if (!known)
        shown = QStringLiteral("\u26A0 ") + ToQ(reference) +
                QStringLiteral(
                    " is defined neither in this file nor in a file beside it: "
                    "choose a definition of the list.");
    supportedShown->setText(shown);
    supportedShown->setToolTip(known ? QString() : shown);
}

cAdmxPolicyPageValues cPPPolicyAdmx::Values() const {
    cAdmxPolicyPageValues values;
    values.name = FromQ(name->text().trimmed());
    values.policyClass = cAdmxClass(std::clamp(policyClass->currentIndex(), 0, 2));
    values.supportedOn = FromQ(supportedOn->currentText().trimmed());
    values.choices = m_choices;
    return values;
}

std::optional<Text> cPPPolicyAdmx::Validate() const {
    if (!m_node || !IsModified())
        return std::nullopt;
    return Values().Validate(*m_node);
}

void cPPPolicyAdmx::Apply(cData& node) {
    auto* policy = dynamic_cast<cPolicy*>(&node);
    if (policy && IsModified())
        Values().ApplyTo(*policy);
    SetModified(false);
    ShowDerivedName(name, node);
    // The key may have changed on the first page.
    if (policy)
        ShowKey(*policy);
}

// ---- A part's element in an ADMX set ----

cPPElementAdmx::cPPElementAdmx(QWidget* parent) : cPropPage(QStringLiteral("ADMX"), parent) {
    auto* layout = PageLayout(this);
    id = NameRow(layout, QStringLiteral("Element id:"), this);
    auto* note = new QLabel(QStringLiteral("The id names the part's element, and its control "
                                           "in the presentation of every language."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    soft = new QCheckBox(QStringLiteral("Soft: keep a value the registry already holds"), this);
    soft->setToolTip(
        QStringLiteral("The value is written only where the registry holds none "
                       "yet (the element's soft attribute)."));
    layout->addWidget(soft);
    MarkOnClick(this, soft);
    layout->addStretch();
    MarkOnEdit(this, id);
}

cAdmxElementPageValues cPPElementAdmx::Values() const {
    return {FromQ(id->text().trimmed()), soft->isChecked()};
}

void cPPElementAdmx::Fill(cData& node) {
    auto* part = dynamic_cast<cPolicyPart*>(&node);
    m_node = part;
    if (!part)
        return;
    const cAdmxElementPageValues values = cAdmxElementPageValues::Load(*part);
    SetText(id, values.id);
    soft->setChecked(values.soft);
    soft->setVisible(CanBeSoft(*part));
}

std::optional<Text> cPPElementAdmx::Validate() const {
    if (!m_node || !IsModified())
        return std::nullopt;
    return Values().Validate(*m_node);
}

void cPPElementAdmx::Apply(cData& node) {
    if (auto* part = dynamic_cast<cPolicyPart*>(&node); part && IsModified())
        Values().ApplyTo(*part);
    SetModified(false);
}
