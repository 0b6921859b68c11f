#include "ui/properties/propsheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/model/partkinds.h"
#include "core/pages/applystep.h"
#include "core/pages/pagevalues.h"
#include "core/text/messages.h"
#include "ui/properties/itemlistpage.h"
#include "ui/properties/proppages.h"
#include "ui/widgets/appservices.h"
#include "ui/widgets/look.h"

namespace {

// Set while the question about unapplied edits is open: activation and selection events
// that arrive meanwhile must not ask again.
bool g_questionOpen = false;
// Set while "Keep on top" is checked on a page's behalf around a modal editor.
bool g_holding = false;

cAnswer AskQuestion(cAppServices* services, const Text& question) {
    if (services)
        return services->Prompts().AskApplyChanges(question);
    return AskYesNoCancelBox(QMessageBox::Warning, question, QApplication::activeWindow());
}

void ShowError(const Text& text) {
    ShowMessage(kSeverityError, u"%s", {text});
}

}  // namespace

cPropSheet::cPropSheet(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setWindowTitle(QStringLiteral("Properties"));
    setFont(SharedFont());

    m_null = new cPPNull(this);
    m_version = new cPPVersion(this);
    m_class = new cPPClass1(this);
    m_category = new cPPCategory1(this);
    m_policy2 = new cPPPolicy2(this);
    m_policy1 = new cPPPolicy1(m_policy2, this);
    m_checkBox = new cPPCheckBox1(this);
    m_text = new cPPText1(this);
    m_editText = new cPPEditText1(this);
    m_combo = new cPPCombo1(this);
    m_numeric = new cPPNum1(this);
    // The item list page is made before the drop-down list page, which hands it the part's
    // item list on fill and runs its apply.
    m_itemList = new cPPDro2(this);
    m_dropDown = new cPPDro1(m_itemList, this);
    m_listBox = new cPPListBox1(this);
    m_multiText = new cPPMultiText1(this);
    m_longNum = new cPPLongNum1(this);
    m_categoryAdmx = new cPPCategoryAdmx(this);
    m_policyAdmx = new cPPPolicyAdmx(this);
    m_elementAdmx = new cPPElementAdmx(this);
    m_all = {m_null,     m_version,   m_class,    m_category,     m_policy1,    m_policy2,
             m_checkBox, m_text,      m_editText, m_combo,        m_numeric,    m_dropDown,
             m_listBox,  m_multiText, m_longNum,  m_categoryAdmx, m_policyAdmx, m_elementAdmx};
    if (m_itemList)
        m_all.push_back(m_itemList);
    for (cPropPage* page : m_all)
        page->hide();

    // "Keep on top" sits above the tabs, "Apply now" below them at the left edge.
    m_keepOnTop = new QCheckBox(QStringLiteral("Keep on top"), this);
    m_keepOnTop->setFixedSize(120, 25);
    m_tabs = new QTabWidget(this);
    m_apply = new QPushButton(QStringLiteral("Apply now"), this);
    m_apply->setFixedSize(70, 20);
    for (QWidget* control : {static_cast<QWidget*>(m_keepOnTop), static_cast<QWidget*>(m_apply)})
        control->setFont(SharedFont());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->setSpacing(0);
    layout->addWidget(m_keepOnTop, 0, Qt::AlignLeft);
    layout->addWidget(m_tabs, 1);
    layout->addSpacing(10);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(10, 0, 0, 0);
    bottom->addWidget(m_apply);
    bottom->addStretch();
    layout->addLayout(bottom);

    connect(m_apply, &QPushButton::clicked, this, [this] {
        // A node of a template whose window is not the active one is not the user's to
        // change from here, whatever kept it in the sheet.
        if (m_current && m_activeTree) {
            const cTemplateTree* tree = TreeOfNode(*m_current);
            if (tree && tree != m_activeTree()) {
                ShowMessage(kSeverityError,
                            u"These properties belong to a template whose window is not the "
                            u"active one. Nothing was applied.");
                return;
            }
        }
        ApplyNow();
    });

    AddPage(m_null);
    m_tabs->setCurrentIndex(0);
    resize(460, 520);
    m_firstShow = true;
}

cPropSheet::~cPropSheet() {
    if (SharedState().sheet == this)
        SharedState().sheet = nullptr;
}

void cPropSheet::AddPage(cPropPage* page) {
    m_tabs->addTab(page, page->Caption());
    m_shown.push_back(page);
}

void cPropSheet::RemovePages() {
    while (!m_shown.empty()) {
        cPropPage* page = m_shown.back();
        m_tabs->removeTab(m_tabs->indexOf(page));
        page->hide();
        page->Removed();
        m_shown.pop_back();
    }
}

void cPropSheet::ShowPagesOf(cData* node) {
    QString title = QStringLiteral("Properties");
    switch (node ? node->kind : 0) {
        case kKindClass:
            AddPage(m_class);
            title = QStringLiteral("Class Properties");
            break;
        case kKindCategory:
            AddPage(m_category);
            if (ShowsAdmxPages(*node))
                AddPage(m_categoryAdmx);
            title = QStringLiteral("Category Properties");
            break;
        case kKindPolicy:
            AddPage(m_policy1);
            AddPage(m_policy2);
            if (ShowsAdmxPages(*node))
                AddPage(m_policyAdmx);
            title = QStringLiteral("Policy Properties");
            break;
        case kKindVersion:
            AddPage(m_version);
            title = QStringLiteral("Version");
            break;
        case kKindPart: {
            cObjPolPart* part = node->GetPartObject();
            cPropPage* page = part ? PartPage(*part) : nullptr;
            if (!page) {
                // A part of a kind without pages shows that there is nothing to edit.
                AddPage(m_null);
                break;
            }
            AddPage(page);
            if (page == m_dropDown && m_itemList)
                AddPage(m_itemList);
            // A static text of an ADMX set has no element.
            if (page != m_text && ShowsAdmxPages(*node))
                AddPage(m_elementAdmx);
            title = QStringLiteral("\"%1\" Policy Part Properties").arg([page, this] {
                if (page == m_checkBox)
                    return QStringLiteral("Checkbox");
                if (page == m_text)
                    return QStringLiteral("Text");
                if (page == m_editText)
                    return QStringLiteral("Edit text");
                if (page == m_combo)
                    return QStringLiteral("Combo box");
                if (page == m_numeric)
                    return QStringLiteral("Numeric");
                if (page == m_dropDown)
                    return QStringLiteral("Dropdown list");
                if (page == m_multiText)
                    return QStringLiteral("Multi-line text");
                if (page == m_longNum)
                    return QStringLiteral("Long number");
                return QStringLiteral("ListBox");
            }());
            break;
        }
        default:
            AddPage(m_null);
            break;
    }
    m_tabs->setCurrentIndex(0);
    if (node)
        FillPages(*node);
    // An ADMX file holds no OEM conversion: there the box can only clear it.
    const bool admx = node && ShowsAdmxPages(*node);
    for (QCheckBox* box : {m_editText->oemConvert, m_combo->oemConvert})
        box->setEnabled(!admx || box->isChecked());
    m_policy2->SetSupportedShownOnly(admx);
    // Nor has a category of a set a key: there the group can only clear one.
    if (const auto* category = dynamic_cast<const cCategory*>(node)) {
        const bool keyed = category->useDefaultKey == 0;
        m_category->key->setEnabled(!admx || keyed);
        m_category->key->setToolTip(admx ? QStringLiteral("A category of an ADMX file has no "
                                                          "registry key: its policies name "
                                                          "theirs.")
                                         : QString());
    }
    setWindowTitle(title);
}

void cPropSheet::FillPages(cData& node) {
    const cTemplateTree* tree = TreeOfNode(node);
    for (cPropPage* page : m_all)
        page->SetTextOwner(tree ? tree->Owner() : nullptr);
    for (cPropPage* page : m_shown)
        if (page != m_itemList)  // the drop-down list page fills it
            page->Fill(node);
}

cPropPage* cPropSheet::PartPage(cObjPolPart& part) const {
    return VisitPart(part,
                     cOverloaded{
                         [this](const cObjPolPartCheckBox&) -> cPropPage* { return m_checkBox; },
                         [this](const cObjPolPartCombo&) -> cPropPage* { return m_combo; },
                         [this](const cObjPolPartDropDown&) -> cPropPage* { return m_dropDown; },
                         [this](const cObjPolPartEditText&) -> cPropPage* { return m_editText; },
                         [this](const cObjPolPartListBox&) -> cPropPage* { return m_listBox; },
                         [this](const cObjPolPartNum&) -> cPropPage* { return m_numeric; },
                         [this](const cObjPolPartText&) -> cPropPage* { return m_text; },
                         [this](const cObjPolPartMultiText&) -> cPropPage* { return m_multiText; },
                         [this](const cObjPolPartLongNum&) -> cPropPage* { return m_longNum; },
                     });
}

int cPropSheet::SetObject(cData* node) {
    // Letting go of a node is no showing of one.
    if (m_firstShow && node) {
        m_keepOnTop->setChecked(true);
        m_firstShow = false;
    }
    if (node == m_current)
        return kSheetAlreadyShown;
    switch (AskApply()) {
        case cAnswer::Yes:
            ApplyNow();
            break;
        case cAnswer::No:
            break;
        case cAnswer::Cancel:
            return kSheetCancelled;
    }
    if (m_current)
        if (cObjPolPart* part = m_current->GetPartObject())
            part->ShowSelection(0);
    RemovePages();
    m_current = nullptr;

    m_current = node;
    ShowPagesOf(node);
    if (node)
        if (cObjPolPart* part = node->GetPartObject())
            part->ShowSelection(1);
    ClearModified();
    return kSheetShown;
}

cAnswer cPropSheet::AskApply() {
    if (g_questionOpen)
        return cAnswer::Cancel;
    if (!m_current || !AnyPageModified())
        return cAnswer::No;
    g_questionOpen = true;
    cAnswer answer = AskQuestion(m_services, ApplyQuestionFor(m_current));
    if (answer == cAnswer::Yes) {
        if (std::optional<Text> error = Validate()) {
            ShowError(*error);
            answer = cAnswer::Cancel;
        }
    }
    g_questionOpen = false;
    return answer;
}

bool cPropSheet::Shown(const cPropPage* page) const {
    return std::find(m_shown.begin(), m_shown.end(), page) != m_shown.end();
}

std::optional<Text> cPropSheet::Validate() const {
    // The first page of the node in this order checks, then the ADMX page if it is shown;
    // the others have no rules.
    std::optional<Text> error;
    for (cPropPage* page : std::initializer_list<cPropPage*>{
             m_version, m_category, m_policy1, m_checkBox, m_text, m_editText, m_combo, m_numeric,
             m_dropDown, m_itemList, m_listBox, m_multiText, m_longNum})
        if (Shown(page)) {
            error = page->Validate();
            break;
        }
    for (cPropPage* page :
         {static_cast<cPropPage*>(m_categoryAdmx), static_cast<cPropPage*>(m_policyAdmx),
          static_cast<cPropPage*>(m_elementAdmx)})
        if (!error && Shown(page))
            error = page->Validate();
    return error;
}

void cPropSheet::ApplyNow() {
    if (std::optional<Text> error = Validate()) {
        ShowError(*error);
        return;
    }
    Apply();
}

void cPropSheet::Apply() {
    if (!m_current)
        return;
    std::unique_ptr<cApplyPropertiesStep> step;
    if (cNodeDataSnapshot::Supports(*m_current) && TreeOfNode(*m_current))
        step = std::make_unique<cApplyPropertiesStep>(*m_current);
    switch (m_current->kind) {
        case kKindCategory:
            m_category->Apply(*m_current);
            if (Shown(m_categoryAdmx))
                m_categoryAdmx->Apply(*m_current);
            break;
        case kKindPolicy:
            m_policy1->Apply(*m_current);
            // After the second page, whose supported-on text the reference replaces.
            if (Shown(m_policyAdmx))
                m_policyAdmx->Apply(*m_current);
            break;
        case kKindVersion:
            m_version->Apply(*m_current);
            break;
        case kKindPart:
            if (cObjPolPart* part = m_current->GetPartObject()) {
                if (cPropPage* page = PartPage(*part))
                    page->Apply(*m_current);
                if (Shown(m_elementAdmx))
                    m_elementAdmx->Apply(*m_current);
            }
            break;
        default:
            break;
    }
    ClearModified();
    m_current->UpdateDisplay();
    // A part is not in the tree itself: its policy marks the template.
    MarkTemplateModified(*m_current);
    if (step) {
        step->Finish(*m_current);
        if (m_stepSink)
            m_stepSink(std::move(step));
    }
}

void cPropSheet::DropNode(cData* node) {
    if (!node || node != m_current)
        return;
    // The node is on its way out: forget it without touching it.
    RemovePages();
    m_current = nullptr;
}

void cPropSheet::NodeChanged(cData* node) {
    if (!node || node != m_current || m_keepPending)
        return;
    int tab = m_tabs->currentIndex();
    RemovePages();
    ShowPagesOf(node);
    ClearModified();
    m_tabs->setCurrentIndex(tab);
}

void cPropSheet::KeepingPendingEdits(const std::function<void()>& change) {
    bool outer = m_keepPending;
    m_keepPending = true;
    change();
    m_keepPending = outer;
}

bool cPropSheet::AnyPageModified() const {
    for (cPropPage* page : m_all)
        if (page->IsModified())
            return true;
    return false;
}

void cPropSheet::ClearModified() {
    for (cPropPage* page : m_all)
        page->SetModified(false);
}

void cPropSheet::ShowWindow(bool activate) {
    if (activate) {
        show();
        raise();
        activateWindow();
        return;
    }
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    raise();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void cPropSheet::HoldVisible() {
    if (g_holding) {
        m_keepOnTop->setChecked(false);
        g_holding = false;
    } else if (!m_keepOnTop->isChecked()) {
        m_keepOnTop->setChecked(true);
        g_holding = true;
    }
}

void cPropSheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow())
        return;
    // Looked at once the activation has settled: a message box of the sheet's own (a
    // validation error, the question) takes the activation only for a moment.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow() && !m_keepOnTop->isChecked() &&
            !QApplication::activeModalWidget())
            hide();
    });
}
