#include "ui/preview/registryview.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/check/policyplace.h"
#include "core/document/document.h"
#include "ui/preview/polleaveview.h"

namespace {

QString Q(const Text& text) {
    return QString::fromStdU16String(text);
}

// What the clipboard gets: the Windows programs the texts are for take CR LF line ends.
QString WithWindowsLineEnds(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

}  // namespace

cRegistryView::cRegistryView(cPolLeaveView* pane, CPelwinDoc* doc)
    : QWidget(pane),
      m_pane(pane),
      m_doc(doc),
      m_fold(new QToolButton(this)),
      m_note(new QLabel(this)),
      m_body(new QWidget(this)) {
    setObjectName(QStringLiteral("registry"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    m_fold->setObjectName(QStringLiteral("fold"));
    m_fold->setText(QStringLiteral("Registry"));
    m_fold->setToolTip(QStringLiteral("Show or hide what the policy writes to the registry"));
    m_fold->setCheckable(true);
    m_fold->setChecked(true);
    m_fold->setArrowType(Qt::DownArrow);
    m_fold->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_fold->setAutoRaise(true);
    connect(m_fold, &QToolButton::toggled, this, [this](bool open) { SetFolded(!open); });
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setForegroundRole(QPalette::PlaceholderText);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(2, 0, 6, 0);
    header->addWidget(m_fold);
    header->addWidget(m_note, 1);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* columns = new QHBoxLayout(m_body);
    columns->setContentsMargins(6, 0, 6, 6);
    for (cPolicyState state : {cPolicyState::Enabled, cPolicyState::Disabled}) {
        cColumn& column = Column(state);
        const bool enabled = state == cPolicyState::Enabled;
        column.box =
            new QGroupBox(enabled ? QStringLiteral("Enabled") : QStringLiteral("Disabled"), m_body);
        column.box->setObjectName(enabled ? QStringLiteral("enabled") : QStringLiteral("disabled"));
        column.text = new QPlainTextEdit(column.box);
        column.text->setObjectName(QStringLiteral("text"));
        column.text->setReadOnly(true);
        column.text->setLineWrapMode(QPlainTextEdit::NoWrap);
        column.text->setFont(fixed);
        column.copyReg = new QPushButton(QStringLiteral("Copy as .reg"), column.box);
        column.copyReg->setObjectName(QStringLiteral("copyReg"));
        column.copyReg->setAutoDefault(false);
        column.copyCommands =
            new QPushButton(QStringLiteral("Copy as reg.exe commands"), column.box);
        column.copyCommands->setObjectName(QStringLiteral("copyCommands"));
        column.copyCommands->setAutoDefault(false);
        column.copyCommands->setToolTip(
            QStringLiteral("reg add and reg delete commands for a batch file"));
        connect(column.copyReg, &QPushButton::clicked, this, [this, state] {
            QApplication::clipboard()->setText(WithWindowsLineEnds(RegText(state)));
        });
        connect(column.copyCommands, &QPushButton::clicked, this, [this, state] {
            QApplication::clipboard()->setText(WithWindowsLineEnds(Commands(state)));
        });
        auto* buttons = new QBoxLayout(QBoxLayout::LeftToRight);
        buttons->addWidget(column.copyReg);
        buttons->addWidget(column.copyCommands);
        buttons->addStretch(1);
        column.buttons = buttons;
        auto* inside = new QVBoxLayout(column.box);
        inside->setContentsMargins(6, 4, 6, 6);
        inside->addWidget(column.text, 1);
        inside->addLayout(buttons);
        columns->addWidget(column.box, 1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(header);
    layout->addWidget(m_body, 1);

    if (m_doc)
        m_doc->Tree().AddListener(this);
    Refresh();
}

cRegistryView::~cRegistryView() {
    if (m_doc)
        m_doc->Tree().RemoveListener(this);
}

void cRegistryView::Schedule() {
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_pending)
                Refresh();
        },
        Qt::QueuedConnection);
}

void cRegistryView::Refresh() {
    m_pending = false;
    const cObjPolicy* policy = m_pane->ShownPolicy();
    if (!policy || !m_doc || !policy->treeItem) {
        m_note->setText(QStringLiteral("Select a policy to see what it writes to the registry."));
        for (cPolicyState state : {cPolicyState::Enabled, cPolicyState::Disabled})
            Show(Column(state), QString(), QString(), false);
        return;
    }
    m_note->setText(
        QStringLiteral("what the policy writes, with the values its panels show "
                       "(nothing of this is saved)"));
    const std::vector<cPartValue> values = m_pane->PanelValues();
    const std::vector<Text> classes = PolicyClasses(*policy->treeItem);
    for (cPolicyState state : {cPolicyState::Enabled, cPolicyState::Disabled}) {
        std::vector<cRegWrite> writes = PolicyWrites(*policy, state, values, *m_doc);
        Show(Column(state), Q(RegFileText(writes, classes)), Q(RegExeCommands(writes, classes)),
             true);
    }
}

void cRegistryView::Show(cColumn& column, const QString& reg, const QString& commands,
                         bool enabled) {
    column.reg = reg;
    column.commands = commands;
    // Set again only when it changed: a new text would scroll the field back to its top.
    if (column.text->toPlainText() != reg)
        column.text->setPlainText(reg);
    column.copyReg->setEnabled(enabled);
    column.copyCommands->setEnabled(enabled);
}

void cRegistryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The buttons stand side by side where the columns are wide enough, else one above the
    // other.
    for (cColumn& column : m_columns) {
        const int needed =
            column.copyReg->sizeHint().width() + column.copyCommands->sizeHint().width() + 30;
        column.buttons->setDirection(width() / 2 >= needed ? QBoxLayout::LeftToRight
                                                           : QBoxLayout::TopToBottom);
    }
}

int cRegistryView::WantedHeight(int paneHeight) const {
    const int header = m_fold->sizeHint().height() + 2;
    if (IsFolded())
        return header;
    // Two fifths of the pane, but never so much that the panels lose all their room.
    const int wanted = std::clamp(paneHeight * 2 / 5, 160, 320);
    return std::max(header, std::min(wanted, paneHeight - 80));
}

bool cRegistryView::IsFolded() const {
    return m_body->isHidden();
}

void cRegistryView::SetFolded(bool folded) {
    if (folded == IsFolded())
        return;
    m_body->setVisible(!folded);
    m_fold->setArrowType(folded ? Qt::RightArrow : Qt::DownArrow);
    if (m_fold->isChecked() == folded)
        m_fold->setChecked(!folded);
    emit heightChanged();
}

QString cRegistryView::RegText(cPolicyState state) const {
    return Column(state).reg;
}

QString cRegistryView::Commands(cPolicyState state) const {
    return Column(state).commands;
}

QPlainTextEdit* cRegistryView::TextOf(cPolicyState state) const {
    return Column(state).text;
}

QPushButton* cRegistryView::CopyRegButton(cPolicyState state) const {
    return Column(state).copyReg;
}

QPushButton* cRegistryView::CopyCommandsButton(cPolicyState state) const {
    return Column(state).copyCommands;
}
