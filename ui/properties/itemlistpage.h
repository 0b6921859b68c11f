#pragma once

#include <QTableWidget>

#include "core/pages/listtables.h"
#include "ui/properties/proppages.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Item list", the second page of a drop-down list part. It edits a working table of the
// part's items, each row with its own copy of its item's action list; the part's item list
// is rebuilt from the table only by an apply. Its controls and the table are made the first
// time the tab is shown: until then nothing of the list is copied and apply does nothing.
//
// The drop-down list's first page adds it to the sheet behind itself, hands it the part
// with Fill and runs its Apply from its own; the sheet's Validate may ask it too (always
// valid).
class cPPDro2 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPDro2(QWidget* parent = nullptr);

    // Remembers the part's item list; the table is built from it when the page is shown.
    void Fill(cData& node) override;
    // Rebuilds the part's item list from the table, in table order, when the page is
    // modified and has been shown; clears the flag always.
    void Apply(cData& node) override;
    void Removed() override;
    bool HasWindow() const { return m_content != nullptr; }

    const cItemListTable& Table() const { return m_table; }

    QTableWidget* list = nullptr;
    QRadioButton* deleteValue = nullptr;
    QRadioButton* explicitValue = nullptr;
    QCheckBox* numeric = nullptr;
    QLineEdit* itemName = nullptr;
    QLineEdit* value = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* addBeforeButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* actionListButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateWindow();
    void ShowRow(int row);
    void ShowDefaults();
    void LoadFields();
    void WriteGroup();
    void OnAdd(bool before);
    void OnDelete();
    void OnActionList();

    cItemListChain* m_items = nullptr;  // Not owned: the shown part's list.
    cItemListTable m_table;
    QWidget* m_content = nullptr;
};
