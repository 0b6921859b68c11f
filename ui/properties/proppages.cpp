#include "ui/properties/proppages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
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

Text cPropPage::Shown(const Text& stored) const {
    const bool reference =
        stored.size() > 10 && stored.starts_with(u"$(string.") && stored.back() == u')';
    return reference && m_textOwner ? m_textOwner->ResolveText(stored) : stored;
}

void cPropPage::ShowDisplayText(QLineEdit* field, const Text& stored) const {
    const QString shown = ToQ(Shown(stored));
    field->setText(shown);
    field->setProperty("storedText", ToQ(stored));
    field->setProperty("shownText", shown);
}

Text cPropPage::DisplayTextOf(const QLineEdit* field) {
    const QString text = field->text();
    const QVariant shown = field->property("shownText");
    return shown.isValid() && text == shown.toString()
               ? FromQ(field->property("storedText").toString())
               : FromQ(text);
}

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
    ShowDisplayText(name, values.name);
    key->Set(values.key, false);
    QSignalBlocker blockExplain(explainText);
    explain->setChecked(values.explainChecked);
    explainText->setText(ToQ(values.explainText));
    explainText->setEnabled(values.explainChecked);
}

cCategoryPageValues cPPCategory1::Values() const {
    return {DisplayTextOf(name), key->Values(), explain->isChecked(), FromQ(explainText->text())};
}

cPPPolicy1::cPPPolicy1(cPPPolicy2* second, QWidget* parent)
    : cPropPage(QStringLiteral("General"), parent), m_second(second) {
    name = new QLineEdit(this);
    nameFault = name->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                QLineEdit::TrailingPosition);
    nameFault->setVisible(false);
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
    // OK writes the lists into the node at once; the page's copies follow it, and its other
    // edits stay pending.
    connect(actionList, &QPushButton::clicked, this,
            [this] { EditNodeActionLists(this, m_actionListOn, m_actionListOff); });
}

void cPPPolicy1::Fill(cData& node) {
    auto* policy = dynamic_cast<cPolicy*>(&node);
    if (!policy)
        return;
    cPolicyPage1Values values = cPolicyPage1Values::Load(*policy);
    QSignalBlocker blockName(name);
    QSignalBlocker blockDefault(key->defaultKey);
    QSignalBlocker blockValueName(valueName);
    ShowDisplayText(name, values.name);
    const Text fault = node.treeItem ? AdmxNodeFault(node, node.treeItem->label) : Text();
    nameFault->setVisible(!fault.empty());
    nameFault->setToolTip(ToQ(fault));
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
    values.name = DisplayTextOf(name);
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
    explainShown = new QLabel(m_content);
    supported = new QCheckBox(QStringLiteral("Supported on"), m_content);
    supportedText = new QLineEdit(m_content);
    supportedShown = new QLabel(m_content);
    for (QLabel* shown : {explainShown, supportedShown}) {
        shown->setTextFormat(Qt::PlainText);
        shown->setWordWrap(true);
    }
    clientExt = new QCheckBox(QStringLiteral("Clientext GUID"), m_content);
    clientExtText = new QLineEdit(m_content);
    auto* grid = new QGridLayout(m_content);
    grid->addWidget(WrappedText(QStringLiteral("Check the Explain checkbox to show the specified "
                                               "text in the policy editor (Windows 2000 only) "),
                                m_content),
                    0, 0, 1, 2);
    grid->addWidget(explain, 1, 0);
    grid->addWidget(explainText, 1, 1);
    grid->addWidget(explainShown, 2, 1);
    grid->addWidget(supported, 3, 0);
    grid->addWidget(supportedText, 3, 1);
    grid->addWidget(supportedShown, 4, 1);
    grid->addWidget(
        WrappedText(QStringLiteral("Check the Clientext checkbox to specifify the GUID of the  "
                                   "Client-side extension to the Group Policy snap-in  that has "
                                   "to 'process'  the policy settings, after it has been read "
                                   "into the registry  (Windows 2000 only) "),
                    m_content),
        5, 0, 1, 2);
    grid->addWidget(clientExt, 6, 0);
    grid->addWidget(clientExtText, 6, 1);
    grid->setRowStretch(7, 1);
    layout()->addWidget(m_content);

    explain->setChecked(m_values.explainFlag == 1);
    explainText->setText(ToQ(m_values.explainText));
    explainText->setEnabled(m_values.explainFlag == 1);
    supported->setChecked(m_values.supportedFlag == 1);
    supportedText->setText(ToQ(m_values.supportedText));
    supportedText->setEnabled(m_values.supportedFlag == 1);
    SetSupportedShownOnly(m_supportedShownOnly);
    UpdateShown(explainShown, explainText);
    UpdateShown(supportedShown, supportedText);
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
    for (auto [shown, edit] :
         {std::pair{explainShown, explainText}, std::pair{supportedShown, supportedText}})
        connect(edit, &QLineEdit::textChanged, this,
                [this, shown, edit] { UpdateShown(shown, edit); });
}

// A reference is kept as typed; beneath it stands the text it shows.
void cPPPolicy2::UpdateShown(QLabel* shown, const QLineEdit* edit) {
    // An explanation runs to pages: the page shows its beginning, the tool tip all of it.
    constexpr qsizetype kShown = 240;
    Text text = FromQ(edit->text());
    Text resolved = m_resolver ? m_resolver->ResolveText(text) : text;
    QString whole = resolved == text ? QString() : ToQ(resolved);
    shown->setText(whole.isEmpty()
                       ? QString()
                       : QStringLiteral("Shows: ") +
                             (whole.size() > kShown ? whole.left(kShown) + "..." : whole));
    shown->setToolTip(whole.size() > kShown ? whole : QString());
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
    explainShown = nullptr;
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

void cPPPolicy2::SetSupportedShownOnly(bool shownOnly) {
    m_supportedShownOnly = shownOnly;
    if (!supported)
        return;
    const QString note =
        shownOnly ? QStringLiteral("In an ADMX set, supported on is chosen on the ADMX page")
                  : QString();
    supported->setEnabled(!shownOnly);
    supported->setToolTip(note);
    supportedText->setEnabled(!shownOnly && supported->isChecked());
    supportedText->setToolTip(note);
}
