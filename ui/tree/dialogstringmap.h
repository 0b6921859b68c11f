#pragma once

#include <QDialog>

#include "core/pages/stringtableedit.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

// "String table": lists a template's whole string table and lets the user add, change and
// delete entries. It works on its rows alone; the table the caller passed is not touched.
class cDialogStringMap : public QDialog {
    Q_OBJECT
public:
    cDialogStringMap(const cStringMap& map, QWidget* parent = nullptr);

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

private:
    void ShowRow(int row);
    void LoadFields(bool focus);
    void OnAdd();
    void OnDelete();

    const cStringMap& m_map;  // Not owned: the document's table, read on OK.
    cStringTableRows m_rows;
};

class CPelwinDoc;

// The String table command: runs the dialog over parent and on OK replaces the document's
// table as one step, "Edit string table", which re-labels every node and marks the
// template modified. True on OK.
bool RunStringTableCommand(CPelwinDoc& doc, QWidget* parent);
