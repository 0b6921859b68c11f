#pragma once

#include <QDockWidget>
#include <vector>

#include "core/check/documentcheck.h"

class CMainFrame;
class CPelwinDoc;
class cAppServices;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// Tools > Check template: lint's findings over the active template as it stands, edits
// included, in a list docked below the windows. A double click on a finding selects its
// node in the template's tree. Tools > Check for MDM import shows lint's MDM profile there.
class cCheckDock : public QDockWidget {
    Q_OBJECT
public:
    cCheckDock(CMainFrame& frame, cAppServices& services);

    // Checks doc (with mdm: under lint's MDM profile) and shows its findings; false when the
    // check could not run (the reason is shown in the list).
    bool Check(CPelwinDoc& doc, bool mdm = false);
    // Selects the node of a finding's row in its template; false when the template or the
    // node is no longer there.
    bool GoTo(const QTreeWidgetItem* row);

    QTreeWidget* List() const { return m_list; }
    QLabel* Summary() const { return m_summary; }

private:
    CMainFrame& m_frame;
    cAppServices& m_services;
    CPelwinDoc* m_doc = nullptr;  // Not owned: checked against the open documents before use.
    std::vector<cDocumentFinding> m_findings;
    QLabel* m_summary;
    QTreeWidget* m_list;
};
