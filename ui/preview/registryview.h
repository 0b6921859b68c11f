#pragma once

#include <QString>
#include <QWidget>

#include "core/check/regtext.h"
#include "core/model/templatetree.h"

class CPelwinDoc;
class cPolLeaveView;
class QBoxLayout;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The bottom of the preview pane: what the policy shown writes to the registry when it is
// enabled (with the values its panels hold now) and when it is disabled, as .reg text, each
// with "Copy as .reg" and "Copy as reg.exe commands". It follows the panels and the
// policy's data; it only shows, nothing of it is kept in the template.
class cRegistryView : public QWidget, public cTreeListener {
    Q_OBJECT
public:
    // Shows the policy of pane; doc's tree tells it of edits (none: it follows the pane only).
    cRegistryView(cPolLeaveView* pane, CPelwinDoc* doc);
    ~cRegistryView() override;

    // The texts of the pane's policy now; after a change they follow once the event loop
    // runs.
    void Refresh();
    // Asks for a refresh once the current event is done: changes come in bursts.
    void Schedule();
    // The height the view takes in a pane of the given height: its header alone when folded.
    int WantedHeight(int paneHeight) const;
    bool IsFolded() const;
    void SetFolded(bool folded);

    // The text of a state as shown, and as the two copy buttons put it on the clipboard
    // (with Windows line ends).
    QString RegText(cPolicyState state) const;
    QString Commands(cPolicyState state) const;
    QPlainTextEdit* TextOf(cPolicyState state) const;
    QPushButton* CopyRegButton(cPolicyState state) const;
    QPushButton* CopyCommandsButton(cPolicyState state) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

signals:
    // Folded or unfolded: the pane lays itself out again.
    void heightChanged();

private:
    struct cColumn {
        QGroupBox* box = nullptr;
        QPlainTextEdit* text = nullptr;
        QPushButton* copyReg = nullptr;
        QPushButton* copyCommands = nullptr;
        QBoxLayout* buttons = nullptr;
        QString reg;
        QString commands;
    };

    cColumn& Column(cPolicyState state) {
        return m_columns[state == cPolicyState::Enabled ? 0 : 1];
    }
    const cColumn& Column(cPolicyState state) const {
        return m_columns[state == cPolicyState::Enabled ? 0 : 1];
    }
    void Show(cColumn& column, const QString& reg, const QString& commands, bool enabled);

    // Edits of the template may change what the policy writes.
    void ItemChanged(cTreeItem*) override { Schedule(); }
    void ItemRemoved(cTreeItem*, int) override { Schedule(); }
    void PartLeaving(cObjPolPart*) override { Schedule(); }
    void NodeDataChanged(cTreeItem*, cData*) override { Schedule(); }

    cPolLeaveView* m_pane;  // Not owned: the pane owns this view.
    CPelwinDoc* m_doc;      // Not owned.
    QToolButton* m_fold;
    QLabel* m_note;
    QWidget* m_body;
    cColumn m_columns[2];
    bool m_pending = false;
};
