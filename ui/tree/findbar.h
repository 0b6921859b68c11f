#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>
#include <unordered_set>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class cPolTreeView;
struct cTreeItem;

// The find bar above a template's tree. While its field is not empty the tree shows only the
// nodes that match, with their ancestors, and the selection moves through the matches in tree
// order; every move goes through the tree's own selection rules, so the sheet may refuse it.
// Closing the bar shows the whole tree again and keeps the selection.
//
// The tree's rows are hidden in the view, not taken out of its model: indexes, the selection
// and the mapping between rows and tree items stay what they are without the find.
class cFindBar : public QWidget {
    Q_OBJECT
public:
    explicit cFindBar(QWidget* parent = nullptr);
    ~cFindBar() override;

    // The tree searched; null leaves the bar with nothing to search.
    void SetTreeView(cPolTreeView* view);
    cPolTreeView* TreeView() const;
    // Next (F3, Enter), Previous (Shift+F3) and Close (Esc): put on a widget that holds the
    // bar and the tree so that the keys work in either. Enabled while the bar is open.
    QList<QAction*> KeyActions() const;

    // Shows the bar and puts the focus in the field with its text selected.
    void Open();
    // Hides the bar and shows the whole tree again; the focus goes back to the tree.
    void Close();
    void FindNext();
    void FindPrevious();

    QLineEdit* Field() const { return m_field; }
    QCheckBox* NamesAndTexts() const { return m_names; }
    QCheckBox* KeysAndValues() const { return m_keys; }
    QCheckBox* MatchCase() const { return m_case; }
    QLabel* Count() const { return m_count; }
    // The matching items in tree order; empty while the field is.
    const std::vector<cTreeItem*>& Matches() const { return m_matches; }

private:
    // Matches the field's text again and hides what does not match; selectFirst moves the
    // selection to the first match.
    void Refilter(bool selectFirst);
    // Shows every row again and folds up what the find unfolded, except the way to the
    // selection.
    void ShowAll();
    void RefilterLater();
    void ModelAboutToChange();
    void Step(bool forward);
    void UpdateCount();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<cPolTreeView> m_view;
    QLineEdit* m_field;
    QCheckBox* m_names;
    QCheckBox* m_keys;
    QCheckBox* m_case;
    QLabel* m_count;
    QAction* m_next;
    QAction* m_previous;
    QAction* m_close;

    std::vector<cTreeItem*> m_matches;  // Not owned; cleared before the tree changes.
    std::unordered_set<const cTreeItem*> m_visible;
    const cTreeItem* m_refusedFirst = nullptr;  // compared only, never followed
    QList<QPersistentModelIndex> m_hidden;
    QList<QPersistentModelIndex> m_unfolded;  // expanded by the find, not by the user
    QList<QMetaObject::Connection> m_connections;
    bool m_filtering = false;
    bool m_updating = false;
    bool m_refilterPending = false;
};
