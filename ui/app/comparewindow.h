#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/check/diff.h"
#include "core/check/storeread.h"
#include "core/text/text.h"

class CMainFrame;
class CPelwinDoc;
class cAppServices;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// The question of Window > Compare with...: another open template, a file or a folder of ADMX
// files (a store), and which of the two is the older release.
class cDialogCompareWith : public QDialog {
    Q_OBJECT
public:
    // others: the open templates besides the active one, offered first in the list; its
    // last entry is "A file".
    cDialogCompareWith(const QString& activeTitle, const std::vector<QString>& others,
                       QWidget* parent = nullptr);

    // The chosen open template's place in others, or -1 for the file.
    int OtherIndex() const;
    Text Path() const;
    bool OtherIsOlder() const;

    QComboBox* OtherBox() const { return m_other; }
    QLineEdit* PathEdit() const { return m_path; }
    QRadioButton* OlderButton() const { return m_older; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void Browse();
    void BrowseFolder();
    void Update();

    QComboBox* m_other;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QPushButton* m_browseFolder;
    QRadioButton* m_older;
    QRadioButton* m_newer;
    QPushButton* m_ok;
};

// The report of a comparison: the added, removed and changed policies as a tree, each
// changed one with what changed below it. A double click on a policy selects it in its
// template (the newer one's for an added or changed policy, the older one's for a removed
// one), opening the file first when it is not open in the editor.
class cCompareWindow : public QWidget {
    Q_OBJECT
public:
    // One of the two templates: an open one, or one read from a file for the report alone,
    // or the templates of a store folder.
    struct cSide {
        CPelwinDoc* open = nullptr;         // Not owned.
        std::unique_ptr<CPelwinDoc> owned;  // read from path
        std::unique_ptr<cStore> store;      // read from the folder at path
        Text path;
        Text title;

        std::vector<const CPelwinDoc*> Docs() const;
    };

    cCompareWindow(CMainFrame& frame, cAppServices& services, cSide older, cSide newer,
                   QWidget* parent = nullptr);
    ~cCompareWindow() override;

    QTreeWidget* Tree() const { return m_tree; }
    QLabel* Summary() const { return m_summary; }
    const cDiffResult& Result() const { return m_result; }
    // Selects the policy of a row in its template; false when the template or the policy is
    // no longer there (the user is told).
    bool GoTo(const QTreeWidgetItem* row);

private:
    void Fill();

    CMainFrame& m_frame;
    cAppServices& m_services;
    cSide m_older;
    cSide m_newer;
    cDiffResult m_result;
    QLabel* m_summary;
    QTreeWidget* m_tree;
};

// Window > Compare with...: asks for the other template, compares and opens the report.
// Null when the user cancelled or the other file could not be read.
cCompareWindow* CompareWith(CPelwinDoc& active, cAppServices& services, CMainFrame& frame);
