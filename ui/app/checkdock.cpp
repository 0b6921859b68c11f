#include "ui/app/checkdock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/document/docmanager.h"
#include "core/document/document.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/tree/poltreeview.h"
#include "ui/widgets/appservices.h"

namespace {

enum : int { kFindingRole = Qt::UserRole + 1 };

QString Q(const Text& text) {
    return QString::fromStdU16String(text);
}

}  // namespace

cCheckDock::cCheckDock(CMainFrame& frame, cAppServices& services)
    : QDockWidget(QStringLiteral("Check template"), &frame), m_frame(frame), m_services(services) {
    setObjectName(QStringLiteral("CheckDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    m_summary = new QLabel(body);
    m_list = new QTreeWidget(body);
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setHeaderLabels({QStringLiteral("Severity"), QStringLiteral("Where"),
                             QStringLiteral("Rule"), QStringLiteral("Finding")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_summary);
    layout->addWidget(m_list);
    setWidget(body);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) { GoTo(row); });
}

bool cCheckDock::Check(CPelwinDoc& doc, bool mdm) {
    m_doc = &doc;
    m_list->clear();
    setWindowTitle(mdm ? QStringLiteral("Check for MDM import") : QStringLiteral("Check template"));
    Text problem;
    if (!CheckDocument(doc, m_findings, problem, mdm)) {
        m_findings.clear();
        m_summary->setText(
            QStringLiteral("%1 could not be checked: %2").arg(Q(doc.Title()), Q(problem)));
        return false;
    }
    int errors = 0;
    int warnings = 0;
    for (size_t i = 0; i < m_findings.size(); ++i) {
        const cFinding& finding = m_findings[i].finding;
        ++(finding.severity == cLintSeverity::Error ? errors : warnings);
        const QString where = (finding.file.empty() ? QString() : Q(finding.file) + u':') +
                              QString::number(finding.line);
        auto* row =
            new QTreeWidgetItem(m_list, {QString::fromLatin1(SeverityName(finding.severity)), where,
                                         QString::fromLatin1(finding.rule), Q(finding.text)});
        row->setData(0, kFindingRole, qulonglong(i));
        if (m_findings[i].place.empty())
            row->setToolTip(3, QStringLiteral("This finding stands at no node of the tree"));
    }
    m_summary->setText(
        m_findings.empty()
            ? QStringLiteral("%1: no faults found%2.")
                  .arg(Q(doc.Title()),
                       mdm ? QStringLiteral("; the set imports as it stands") : QString())
            : QStringLiteral("%1: %2, %3. Double click a finding "
                             "to select its node.")
                  .arg(Q(doc.Title()), Q(Counted(errors, u"error", u"errors")),
                       Q(Counted(warnings, u"warning", u"warnings"))));
    show();
    raise();
    return true;
}

bool cCheckDock::GoTo(const QTreeWidgetItem* row) {
    QVariant data = row ? row->data(0, kFindingRole) : QVariant();
    if (!data.isValid() || !m_doc)
        return false;
    bool open = false;
    for (const auto& doc : m_services.Docs().Documents())
        open = open || doc.get() == m_doc;
    if (!open)
        return false;
    const cDocumentFinding& found = m_findings.at(size_t(data.toULongLong()));
    cTreeItem* item = ItemAtPlace(m_doc->Tree(), found.place);
    if (!item) {
        // A double click that does nothing would look like a fault of the list.
        m_frame.ShowStatus(found.place.empty()
                               ? Text(u"This finding stands at no node of the tree.")
                               : Text(u"The node of this finding is no longer in the tree."));
        return false;
    }
    m_frame.ActivateViews(*m_doc);
    CChildFrame* child = m_frame.ChildOf(*m_doc);
    auto* tree = child ? qobject_cast<cPolTreeView*>(child->TreePane()) : nullptr;
    if (!tree || !tree->Select(item))
        return false;
    tree->setFocus(Qt::OtherFocusReason);
    return true;
}
