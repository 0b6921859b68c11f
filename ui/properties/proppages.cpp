#include "ui/properties/proppages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"
#include "ui/properties/actionlisteditor.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

QLabel* WrappedText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

cPropPage::cPropPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {}

// ---- Registry Key ---------------------------------------------------------------------

cKeyGroup::cKeyGroup(QWidget* parent) : QWidget(parent) {
    auto* box = new QGroupBox(QStringLiteral("Registry Key"), this);
    useDefault = new QRadioButton(QStringLiteral("Use default:"), box);
    defaultKey = new QLineEdit(box);
    defaultKey->setReadOnly(true);
    useKey = new QRadioButton(QStringLiteral("Use key:"), box);
    ownKey = new QLineEdit(box);
    auto* grid = new QGridLayout(box);
    grid->addWidget(useDefault, 0, 0);
    grid->addWidget(defaultKey, 0, 1);
    grid->addWidget(useKey, 1, 0);
    grid->addWidget(ownKey, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);

    for (QRadioButton* radio : {useDefault, useKey})
        connect(radio, &QRadioButton::clicked, this, [this] {
            UpdateOwnKey();
            emit changed();
        });
    connect(ownKey, &QLineEdit::textChanged, this, &cKeyGroup::changed);
}

void cKeyGroup::Set(const cKeyGroupValues& values, bool disableOwnKey) {
    m_disableOwnKey = disableOwnKey;
    QSignalBlocker blockKey(ownKey);
    defaultKey->setText(ToQ(values.inheritedKey));
    ownKey->setText(ToQ(values.ownKey));
    (values.useDefault ? useDefault : useKey)->setChecked(true);
    useDefault->setEnabled(values.defaultEnabled);
    defaultKey->setEnabled(values.defaultEnabled);
    UpdateOwnKey();
}

cKeyGroupValues cKeyGroup::Values() const {
    return {useDefault->isChecked(), FromQ(defaultKey->text()), FromQ(ownKey->text()),
            useDefault->isEnabled()};
}

void cKeyGroup::UpdateOwnKey() {
    bool own = useKey->isChecked();
    if (m_disableOwnKey) {
        ownKey->setReadOnly(false);
        ownKey->setEnabled(own);
    } else {
        ownKey->setEnabled(true);
        ownKey->setReadOnly(!own);
    }
}

// ---- Value groups ---------------------------------------------------------------------

cValueGroup::cValueGroup(const QString& title, const QString& defaultText, QWidget* parent)
    : QGroupBox(title, parent) {
    defaultValue = new QRadioButton(defaultText, this);
    deleteValue = new QRadioButton(QStringLiteral("Delete value from registry"), this);
    explicitValue = new QRadioButton(QStringLiteral("Explicit value"), this);
    numeric = new QCheckBox(QStringLiteral("Numeric"), this);
    text = new QLineEdit(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(defaultValue, 0, 0, 1, 2);
    grid->addWidget(deleteValue, 1, 0, 1, 2);
    grid->addWidget(explicitValue, 2, 0);
    grid->addWidget(numeric, 2, 1);
    grid->addWidget(text, 3, 0, 1, 2);
    for (QRadioButton* radio : {defaultValue, deleteValue, explicitValue})
        connect(radio, &QRadioButton::clicked, this, [this] {
            UpdateExplicit();
            emit changed();
        });
    connect(numeric, &QCheckBox::clicked, this, &cValueGroup::changed);
    connect(text, &QLineEdit::textChanged, this, &cValueGroup::changed);
}

void cValueGroup::Set(const cValueGroupValues& values) {
    QSignalBlocker blockText(text);
    switch (values.choice) {
        case cValueGroupValues::Choice::Default:
            defaultValue->setChecked(true);
            break;
        case cValueGroupValues::Choice::Delete:
            deleteValue->setChecked(true);
            break;
        case cValueGroupValues::Choice::Explicit:
            explicitValue->setChecked(true);
            break;
    }
    numeric->setChecked(values.numeric);
    text->setText(ToQ(values.text));
    UpdateExplicit();
}

cValueGroupValues cValueGroup::Values() const {
    cValueGroupValues values;
    if (deleteValue->isChecked())
        values.choice = cValueGroupValues::Choice::Delete;
    else if (explicitValue->isChecked())
        values.choice = cValueGroupValues::Choice::Explicit;
    values.numeric = numeric->isChecked();
    values.text = FromQ(text->text());
    return values;
}

void cValueGroup::SetUsable(bool usable) {
    m_usable = usable;
    for (QRadioButton* radio : {defaultValue, deleteValue, explicitValue})
        radio->setEnabled(usable);
    UpdateExplicit();
}

void cValueGroup::UpdateExplicit() {
    bool on = m_usable && explicitValue->isChecked();
    numeric->setEnabled(on);
    text->setEnabled(on);
    text->setReadOnly(false);
}

// ---- Pages ----------------------------------------------------------------------------

cPPNull::cPPNull(QWidget* parent) : cPropPage(QStringLiteral("General"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("No Object Selected."), this), 0, Qt::AlignCenter);
}

cPPClass1::cPPClass1(QWidget* parent) : cPropPage(QStringLiteral("General"), parent) {
    classType = new QLineEdit(this);
    classType->setReadOnly(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Class type:"), classType);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
}

void cPPClass1::Fill(cData& node) {
    if (auto* cls = dynamic_cast<cPolClass*>(&node))
        classType->setText(ToQ(cClassPageValues::Load(*cls).className));
}

cPPCategory1::cPPCategory1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    name = new QLineEdit(this);
    key = new cKeyGroup(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Category name:"), name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(key);
    explain = new QCheckBox(QStringLiteral("Explain"), this);
    explainText = new QLineEdit(this);
    auto* explainRow = new QHBoxLayout;
    explainRow->addWidget(explain);
    explainRow->addWidget(explainText, 1);
    layout->addLayout(explainRow);
    layout->addStretch();
    connect(name, &QLineEdit::textChanged, this, [this] { MarkChanged(); });
    connect(key, &cKeyGroup::changed, this, [this] { MarkChanged(); });
    connect(explain, &QCheckBox::clicked, this, [this] {
        explainText->setEnabled(explain->isChecked());
        MarkChanged();
    });
    connect(explainText, &QLineEdit::textChanged, this, [this] { MarkChanged(); });
}

void cPPCategory1::Show(const cCategoryPageValues& values) {
    QSignalBlocker blockName(name);
    name->setText(ToQ(values.name));
    key->Set(values.key, false);
    QSignalBlocker blockExplain(explainText);
    explain->setChecked(values.explainChecked);
    explainText->setText(ToQ(values.explainText));
    explainText->setEnabled(values.explainChecked);
}

cCategoryPageValues cPPCategory1::Values() const {
    return {FromQ(name->text()), key->Values(), explain->isChecked(), FromQ(explainText->text())};
}

cPPPolicy1::cPPPolicy1(cPPPolicy2* second, QWidget* parent)
    : cPropPage(QStringLiteral("General"), parent), m_second(second) {
    name = new QLineEdit(this);
    key = new cKeyGroup(this);
    valueNameCheck = new QCheckBox(QStringLiteral("Value name: "), this);
    valueName = new QLineEdit(this);
    valueOn = new cValueGroup(QStringLiteral("Value when checked"),
                              QStringLiteral("Default value (1)"), this);
    valueOff = new cValueGroup(QStringLiteral("Value when unchecked"),
                               QStringLiteral("Default value (0)"), this);
    actionList = new QPushButton(QStringLiteral("Action list"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Policy name:"), name);
    auto* valueNameRow = new QHBoxLayout;
    valueNameRow->addWidget(valueNameCheck);
    valueNameRow->addWidget(valueName, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(valueOn);
    groups->addWidget(valueOff);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(actionList);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(key);
    layout->addLayout(valueNameRow);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    connect(name, &QLineEdit::textChanged, this, changed);
    connect(key, &cKeyGroup::changed, this, changed);
    connect(key->defaultKey, &QLineEdit::textChanged, this, changed);
    connect(valueName, &QLineEdit::textChanged, this, changed);
    connect(valueOn, &cValueGroup::changed, this, changed);
    connect(valueOff, &cValueGroup::changed, this, changed);
    connect(valueNameCheck, &QCheckBox::clicked, this, [this] {
        UpdateValueName();
        MarkChanged();
    });
    connect(actionList, &QPushButton::clicked, this, [this] {
        if (EditActionLists(this, m_actionListOn, &m_actionListOff))
            MarkChanged();
    });
}

void cPPPolicy1::Fill(cData& node) {
    auto* policy = dynamic_cast<cPolicy*>(&node);
    if (!policy)
        return;
    cPolicyPage1Values values = cPolicyPage1Values::Load(*policy);
    QSignalBlocker blockName(name);
    QSignalBlocker blockDefault(key->defaultKey);
    QSignalBlocker blockValueName(valueName);
    name->setText(ToQ(values.name));
    key->Set(values.key, true);
    valueName->setText(ToQ(values.valueName));
    valueNameCheck->setChecked(values.valueNameChecked);
    valueOn->Set(values.valueOn);
    valueOff->Set(values.valueOff);
    UpdateValueName();
    m_actionListOn = values.actionListOn;
    m_actionListOff = values.actionListOff;
    if (m_second) {
        m_second->SetValues(cPolicyPage2Values::Load(*policy));
        m_second->SetResolver(policy->ownerView ? policy->ownerView->Owner() : nullptr);
    }
}

void cPPPolicy1::UpdateValueName() {
    bool on = valueNameCheck->isChecked();
    valueName->setEnabled(on);
    valueOn->SetUsable(on);
    valueOff->SetUsable(on);
}

cPolicyPage1Values cPPPolicy1::Values() const {
    cPolicyPage1Values values;
    values.name = FromQ(name->text());
    values.key = key->Values();
    values.valueNameChecked = valueNameCheck->isChecked();
    values.valueName = FromQ(valueName->text());
    values.valueOn = valueOn->Values();
    values.valueOff = valueOff->Values();
    values.actionListOn = m_actionListOn;
    values.actionListOff = m_actionListOff;
    return values;
}

std::optional<Text> cPPPolicy1::Validate() const {
    return Values().Validate();
}

void cPPPolicy1::Apply(cData& node) {
    auto* policy = dynamic_cast<cPolicy*>(&node);
    if (policy && IsModified())
        Values().ApplyTo(*policy);
    if (policy && m_second)
        m_second->TakeValues().ApplyTo(*policy);
    SetModified(false);
    if (m_second)
        m_second->SetModified(false);
}

cPPPolicy2::cPPPolicy2(QWidget* parent)
    : cPropPage(QStringLiteral("Optional Windows2000 specifications"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void cPPPolicy2::showEvent(QShowEvent* event) {
    if (!m_content)
        CreateWindow();
    cPropPage::showEvent(event);
}

void cPPPolicy2::CreateWindow() {
    m_content = new QWidget(this);
    explain = new QCheckBox(QStringLiteral("Explain"), m_content);
    explainText = new QLineEdit(m_content);
    supported = new QCheckBox(QStringLiteral("Supported on"), m_content);
    supportedText = new QLineEdit(m_content);
    supportedShown = new QLabel(m_content);
    supportedShown->setTextFormat(Qt::PlainText);
    supportedShown->setWordWrap(true);
    clientExt = new QCheckBox(QStringLiteral("Clientext GUID"), m_content);
    clientExtText = new QLineEdit(m_content);
    auto* grid = new QGridLayout(m_content);
    grid->addWidget(WrappedText(QStringLiteral("Check the Explain checkbox to show the specified "
                                               "text in the policy editor (Windows 2000 only) "),
                                m_content),
                    0, 0, 1, 2);
    grid->addWidget(explain, 1, 0);
    grid->addWidget(explainText, 1, 1);
    grid->addWidget(supported, 2, 0);
    grid->addWidget(supportedText, 2, 1);
    grid->addWidget(supportedShown, 3, 1);
    grid->addWidget(
        WrappedText(QStringLiteral("Check the Clientext checkbox to specifify the GUID of the  "
                                   "Client-side extension to the Group Policy snap-in  that has "
                                   "to 'process'  the policy settings, after it has been read "
                                   "into the registry  (Windows 2000 only) "),
                    m_content),
        4, 0, 1, 2);
    grid->addWidget(clientExt, 5, 0);
    grid->addWidget(clientExtText, 5, 1);
    grid->setRowStretch(6, 1);
    layout()->addWidget(m_content);

    explain->setChecked(m_values.explainFlag == 1);
    explainText->setText(ToQ(m_values.explainText));
    explainText->setEnabled(m_values.explainFlag == 1);
    supported->setChecked(m_values.supportedFlag == 1);
    supportedText->setText(ToQ(m_values.supportedText));
    supportedText->setEnabled(m_values.supportedFlag == 1);
    UpdateSupportedShown();
    clientExt->setChecked(m_values.clientExtFlag == 1);
    clientExtText->setText(ToQ(m_values.clientExt));
    clientExtText->setEnabled(m_values.clientExtFlag == 1);
    SetModified(false);

    for (auto [box, edit] : {std::pair{explain, explainText}, std::pair{supported, supportedText},
                             std::pair{clientExt, clientExtText}}) {
        connect(box, &QCheckBox::clicked, this, [this, box, edit] {
            edit->setEnabled(box->isChecked());
            MarkChanged();
        });
        connect(edit, &QLineEdit::textChanged, this, [this] { MarkChanged(); });
    }
    connect(supportedText, &QLineEdit::textChanged, this, [this] { UpdateSupportedShown(); });
}

// A reference is kept as typed; beneath it stands the text it shows.
void cPPPolicy2::UpdateSupportedShown() {
    Text text = FromQ(supportedText->text());
    Text shown = m_resolver ? m_resolver->ResolveText(text) : text;
    supportedShown->setText(shown == text ? QString() : QStringLiteral("Shows: ") + ToQ(shown));
}

cPolicyPage2Values cPPPolicy2::TakeValues() {
    if (IsModified() && m_content) {
        m_values.explainFlag = explain->isChecked() ? 1 : 0;
        m_values.explainText = FromQ(explainText->text());
        m_values.clientExtFlag = clientExt->isChecked() ? 1 : 0;
        m_values.clientExt = FromQ(clientExtText->text());
        m_values.supportedFlag = supported->isChecked() ? 1 : 0;
        m_values.supportedText = FromQ(supportedText->text());
    }
    return m_values;
}

void cPPPolicy2::Removed() {
    delete m_content;
    m_content = nullptr;
    explain = nullptr;
    explainText = nullptr;
    supported = nullptr;
    supportedText = nullptr;
    supportedShown = nullptr;
    clientExt = nullptr;
    clientExtText = nullptr;
}

cPPVersion::cPPVersion(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    op = new QComboBox(this);
    op->setEditable(false);
    number = new QLineEdit(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Version"), this));
    row->addWidget(op);
    row->addWidget(number, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedText(
        QStringLiteral("The policy settings defined as child items of this node are only applied "
                       "if the version of the policy editor which loads this template file passes "
                       "the criterium below"),
        this));
    layout->addLayout(row);
    layout->addStretch();
    connect(op, &QComboBox::currentIndexChanged, this, [this] { MarkChanged(); });
    connect(number, &QLineEdit::textChanged, this, [this] { MarkChanged(); });
}

void cPPVersion::Show(const cVersionPageValues& values) {
    QSignalBlocker blockOp(op);
    QSignalBlocker blockNumber(number);
    op->clear();
    for (TextView entry : cVersionPageValues::kOperators)
        op->addItem(ToQ(Text(entry)));
    op->setCurrentIndex(values.SelectedIndex());
    number->setText(ToQ(values.number));
}

cVersionPageValues cPPVersion::Values() const {
    return {FromQ(op->currentText()), FromQ(number->text())};
}

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

QLineEdit* ValueNameRow(QVBoxLayout* layout, QWidget* page) {
    return NameRow(layout, QStringLiteral("Value name:"), page);
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
    key = new cKeyGroup(this);
    layout->addWidget(key);
    valueName = ValueNameRow(layout, this);
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
    connect(key, &cKeyGroup::changed, this, changed);
    MarkOnEdit(this, valueName);
    connect(valueOn, &cValueGroup::changed, this, changed);
    connect(valueOff, &cValueGroup::changed, this, changed);
    connect(actionList, &QPushButton::clicked, this, [this] {
        if (EditActionLists(this, m_actionListOn, &m_actionListOff))
            MarkChanged();
    });
}

void cPPCheckBox1::Show(const cCheckBoxPageValues& values) {
    SetText(name, values.name);
    (values.checkedByDefault ? checkedByDefault : uncheckedByDefault)->setChecked(true);
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
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
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
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
    key = new cKeyGroup(this);
    layout->addWidget(key);
    valueName = ValueNameRow(layout, this);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, label);
    connect(defaultValue, &cPairRow::changed, this, changed);
    connect(maxLength, &cPairRow::changed, this, changed);
    connect(key, &cKeyGroup::changed, this, changed);
    MarkOnEdit(this, valueName);
}

void cPPEditText1::Show(const cEditTextPageValues& values) {
    SetText(label, values.name);
    defaultValue->Set(values.defaultValue);
    maxLength->Set(values.maxLength);
    SetChecked(required, values.required);
    SetChecked(oemConvert, values.oemConvert);
    SetChecked(expandableText, values.expandableText);
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
}

cEditTextPageValues cPPEditText1::Values() const {
    cEditTextPageValues values;
    values.name = FromQ(label->text());
    values.defaultValue = defaultValue->Values();
    values.maxLength = maxLength->Values();
    values.required = required->isChecked();
    values.oemConvert = oemConvert->isChecked();
    values.expandableText = expandableText->isChecked();
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
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
    key = new cKeyGroup(this);
    layout->addWidget(key);
    valueName = ValueNameRow(layout, this);

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
    connect(key, &cKeyGroup::changed, this, changed);
    MarkOnEdit(this, valueName);
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
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
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
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
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
    key = new cKeyGroup(this);
    layout->addWidget(key);
    valueName = ValueNameRow(layout, this);
    layout->addStretch();
    MarkOnEdit(this, name);
    connect(key, &cKeyGroup::changed, this, [this] { MarkChanged(); });
    MarkOnEdit(this, valueName);
}

void cPPDro1::Show(const cDropDownPageValues& values) {
    SetText(name, values.name);
    SetChecked(required, values.required);
    SetChecked(noSort, values.noSort);
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
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
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
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

// ---- Numeric ----

cPPNum1::cPPNum1(QWidget* parent) : cValuesPage(QStringLiteral("General"), parent) {
    auto* layout = PageLayout(this);
    label = NameRow(layout, QStringLiteral("Label:"), this);
    defaultValue = new cPairRow(QStringLiteral("Default value:"), this);
    max =
        new cPairRow(QStringLiteral("Max. Value:"), this, ToQ(Text(cNumericPageValues::kMaxReset)));
    min =
        new cPairRow(QStringLiteral("Min. Value:"), this, ToQ(Text(cNumericPageValues::kMinReset)));
    spin = new cPairRow(QStringLiteral("Spin increment:"), this,
                        ToQ(Text(cNumericPageValues::kSpinReset)));
    PairGrid(layout, {defaultValue, max, min, spin});
    required = new QCheckBox(QStringLiteral("Required"), this);
    txtConvert = new QCheckBox(QStringLiteral("Convert to Text"), this);
    for (QCheckBox* box : {required, txtConvert}) {
        layout->addWidget(box);
        MarkOnClick(this, box);
    }
    key = new cKeyGroup(this);
    layout->addWidget(key);
    valueName = ValueNameRow(layout, this);
    layout->addStretch();

    auto changed = [this] { MarkChanged(); };
    MarkOnEdit(this, label);
    for (cPairRow* pair : {defaultValue, max, min, spin})
        connect(pair, &cPairRow::changed, this, changed);
    connect(key, &cKeyGroup::changed, this, changed);
    MarkOnEdit(this, valueName);
}

void cPPNum1::Show(const cNumericPageValues& values) {
    SetText(label, values.name);
    defaultValue->Set(values.defaultValue);
    max->Set(values.max);
    min->Set(values.min);
    spin->Set(values.spin);
    SetChecked(required, values.required);
    SetChecked(txtConvert, values.txtConvert);
    key->Set(values.key, false);
    SetText(valueName, values.valueName);
}

cNumericPageValues cPPNum1::Values() const {
    cNumericPageValues values;
    values.name = FromQ(label->text());
    values.defaultValue = defaultValue->Values();
    values.max = max->Values();
    values.min = min->Values();
    values.spin = spin->Values();
    values.required = required->isChecked();
    values.txtConvert = txtConvert->isChecked();
    values.key = key->Values();
    values.valueName = FromQ(valueName->text());
    return values;
}
