#pragma once

#include <QDialog>
#include <QTableWidget>

#include "core/pages/listtables.h"
#include "ui/widgets/look.h"

class QLineEdit;
class QPushButton;
class QTabWidget;
class cValueGroup;

// The editor's table: a plain list with no behaviour of its own.
class cLstCtrActionList : public QTableWidget {
    Q_OBJECT
public:
    explicit cLstCtrActionList(QWidget* parent = nullptr);
};

// The one page of the action list editor: the table of key and value name pairs and the
// fields that edit the row they show. It works on a copy; OK writes it into the lists.
class cPPActionList : public QWidget {
    Q_OBJECT
public:
    // Two-list mode exactly when second is given.
    cPPActionList(const cActionList& first, const cActionList* second, QWidget* parent = nullptr);

    const cActionListTable& Table() const { return m_table; }
    // Rebuilds the lists from the rows.
    void WriteTo(cActionList& first, cActionList* second) const { m_table.WriteTo(first, second); }

    cLstCtrActionList* list;
    QLineEdit* keyName;
    QLineEdit* valueName;
    cValueGroup* valueOn;   // "Value when checked", "Value" in one-list mode
    cValueGroup* valueOff;  // "Value when unchecked", hidden in one-list mode
    QPushButton* newButton;
    QPushButton* deleteButton;

private:
    void ShowRow(int row);
    void LoadFields();
    void OnNew();
    void OnDelete();

    cActionListTable m_table;
};

// The modal sheet "ActionList" around the page. The lists belong to the caller and change
// only when the user presses OK.
class cPropActList : public QDialog {
    Q_OBJECT
public:
    cPropActList(cActionList& first, cActionList* second, QWidget* parent = nullptr);

    cPPActionList* Page() const { return m_page; }
    QTabWidget* Tabs() const { return m_tabs; }
    void accept() override;

private:
    cActionList& m_first;   // Not owned.
    cActionList* m_second;  // Not owned; null in one-list mode.
    cPPActionList* m_page;
    QTabWidget* m_tabs;
};

// Runs the action list editor for a list the page keeps until its apply (an item's list on
// the item list page): keeps the property sheet visible while it is open, and on OK rewrites
// the list and marks the template of the sheet's node modified. True on OK; the page then
// sets its own modified flag, so that the next apply takes the list into the part.
bool EditActionLists(QWidget* page, cActionList& first, cActionList* second);
// The same with a dialog made by the caller (tests answer it themselves).
bool EditActionLists(QWidget* page, cPropActList& dialog);

// Runs the action list editor on the lists of the policy or check box the sheet shows, as
// the page holds them: on OK they reach the node at once, as a step of their own, and the
// page's copies follow, so that a later apply writes them unchanged. The page's other edits
// stay pending and its modified flag is not touched. Answers whether OK was pressed and the
// node took the lists; a page outside a sheet only keeps them in on and off.
bool EditNodeActionLists(QWidget* page, cActionList& on, cActionList& off);
