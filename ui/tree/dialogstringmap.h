#pragma once

#include <QDialog>

#include "core/pages/stringtableedit.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "String table": lists a template's whole string table and lets the user add, change and
// delete entries, show only those that contain a text, and drop those that no node refers
// to. It works on its rows alone; the table the caller passed is not touched. It opens at a
// size that shows a good part of a long table, and can be made larger.
class cDialogStringMap : public QDialog {
    Q_OBJECT
public:
    // uses: what the template's nodes refer to, for "Remove unused" (greyed without).
    cDialogStringMap(const cStringMap& map, QWidget* parent = nullptr,
                     const cStringUses* uses = nullptr);

    // The table the rows make, for OK.
    cStringMap Result() const { return m_rows.BuildMap(m_map); }
    const cStringTableRows& Rows() const { return m_rows; }

    QTableWidget* list;
    QLineEdit* searchString;
    QLineEdit* displayString;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QPushButton* addButton;
    QPushButton* deleteButton;
    QPushButton* removeUnusedButton;
    QLineEdit* filter;  // shows only the rows whose name or text contains it, in any case
    QLabel* count;      // "12 strings", or "3 of 12 strings" while filtered

private:
    void ShowRow(int row);
    void FillList();
    void LoadFields(bool focus);
    void ApplyFilter();
    bool RowShown(int row) const;
    // Selects row, or the nearest shown row before or after it when the filter hides it.
    void SelectShown(int row);
    void OnAdd();
    void OnDelete();
    void OnRemoveUnused();

    const cStringMap& m_map;    // Not owned: the document's table, read on OK.
    const cStringUses* m_uses;  // Not owned.
    cStringTableRows m_rows;
};

class CPelwinDoc;

// The String table command: runs the dialog over parent and on OK replaces the document's
// table as one step, "Edit string table" (whatever the dialog did, "Remove unused"
// included), which re-labels every node and marks the template modified. True on OK.
bool RunStringTableCommand(CPelwinDoc& doc, QWidget* parent);
