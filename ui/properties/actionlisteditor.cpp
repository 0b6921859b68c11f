#include "ui/properties/actionlisteditor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/model/nodeobjects.h"
#include "core/pages/applystep.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/widgets/look.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

enum Column { kKey, kValueName, kValueOn, kTypeOn, kValueOff, kTypeOff };

void SetCell(QTableWidget* table, int row, int column, const Text& text) {
    if (QTableWidgetItem* item = table->item(row, column))
        item->setText(ToQ(text));
    else
        table->setItem(row, column, new QTableWidgetItem(ToQ(text)));
}

cPropSheet* SheetOf(QWidget* widget) {
    for (QWidget* each = widget; each; each = each->parentWidget())
        if (auto* sheet = qobject_cast<cPropSheet*>(each))
            return sheet;
    return nullptr;
}

void MarkTemplateOf(cData* node) {
    if (node)
        MarkTemplateModified(*node);
}

}  // namespace

cLstCtrActionList::cLstCtrActionList(QWidget* parent) : QTableWidget(parent) {
    SetListLook(this);
    horizontalHeader()->setSectionsClickable(false);
}

cPPActionList::cPPActionList(const cActionList& first, const cActionList* second, QWidget* parent)
    : QWidget(parent), m_table(first, second) {
    bool two = m_table.TwoLists();
    list = new cLstCtrActionList(this);
    keyName = new QLineEdit(this);
    valueName = new QLineEdit(this);
    valueOn = new cValueGroup(two ? QStringLiteral("Value when checked") : QStringLiteral("Value"),
                              QStringLiteral("No value"), this);
    valueOff =
        new cValueGroup(QStringLiteral("Value when unchecked"), QStringLiteral("None"), this);
    newButton = new QPushButton(QStringLiteral("New"), this);
    deleteButton = new QPushButton(QStringLiteral("Delete"), this);

    if (two) {
        SetListColumns(
            list,
            {QStringLiteral("Key name"), QStringLiteral("Value name"), QStringLiteral("Value on"),
             QStringLiteral("Type on"), QStringLiteral("Value off"), QStringLiteral("Type off")},
            {250, 100, 100, 65, 100, 65}, {kTypeOn, kTypeOff});
    } else {
        SetListColumns(list,
                       {QStringLiteral("Key name"), QStringLiteral("Value name"),
                        QStringLiteral("Value "), QStringLiteral("Type")},
                       {300, 100, 210, 65}, {kTypeOn});
        valueOff->hide();
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Registry Key:"), keyName);
    form->addRow(QStringLiteral("Value name:"), valueName);
    auto* groups = new QHBoxLayout;
    groups->addWidget(valueOn);
    groups->addWidget(valueOff);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(newButton);
    buttons->addWidget(deleteButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addLayout(form);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    list->setRowCount(int(m_table.Rows().size()));
    for (int row = 0; row < list->rowCount(); ++row)
        ShowRow(row);
    if (m_table.Selected() >= 0)
        list->selectRow(m_table.Selected());
    LoadFields();

    // A keyboard move only selects; a click also loads the fields.
    connect(list, &QTableWidget::currentCellChanged, this,
            [this](int row) { m_table.Select(row); });
    connect(list, &QTableWidget::cellClicked, this, [this](int row) {
        m_table.Select(row);
        m_table.LoadSelected();
        LoadFields();
    });
    connect(keyName, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_table.SetKeyName(FromQ(text));
        ShowRow(m_table.Loaded());
    });
    connect(valueName, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_table.SetValueName(FromQ(text));
        ShowRow(m_table.Loaded());
    });
    connect(valueOn, &cValueGroup::changed, this, [this] {
        m_table.SetOnGroup(valueOn->Values());
        ShowRow(m_table.Loaded());
    });
    connect(valueOff, &cValueGroup::changed, this, [this] {
        m_table.SetOffGroup(valueOff->Values());
        ShowRow(m_table.Loaded());
    });
    connect(newButton, &QPushButton::clicked, this, &cPPActionList::OnNew);
    connect(deleteButton, &QPushButton::clicked, this, &cPPActionList::OnDelete);
}

void cPPActionList::ShowRow(int row) {
    if (row < 0 || size_t(row) >= m_table.Rows().size())
        return;
    const cActionRow& cells = m_table.Rows()[size_t(row)];
    SetCell(list, row, kKey, cells.keyName);
    SetCell(list, row, kValueName, cells.valueName);
    SetCell(list, row, kValueOn, cells.valueOn);
    SetCell(list, row, kTypeOn, cells.typeOn);
    if (m_table.TwoLists()) {
        SetCell(list, row, kValueOff, cells.valueOff);
        SetCell(list, row, kTypeOff, cells.typeOff);
    }
}

void cPPActionList::LoadFields() {
    QSignalBlocker blockKey(keyName);
    QSignalBlocker blockValueName(valueName);
    int row = m_table.Loaded();
    bool any = row >= 0;
    keyName->setEnabled(any);
    valueName->setEnabled(any);
    valueOn->SetUsable(any);
    valueOff->SetUsable(any);
    valueOn->defaultValue->setEnabled(any && m_table.TwoLists());
    if (!any) {
        keyName->clear();
        valueName->clear();
        valueOn->Set({});
        valueOff->Set({});
        valueOn->SetUsable(false);
        valueOff->SetUsable(false);
        return;
    }
    const cActionRow& cells = m_table.Rows()[size_t(row)];
    keyName->setText(ToQ(cells.keyName));
    valueName->setText(ToQ(cells.valueName));
    valueOn->Set(GroupFromCells(cells.typeOn, cells.valueOn));
    valueOff->Set(GroupFromCells(cells.typeOff, cells.valueOff));
    list->scrollToItem(list->item(row, kKey));
}

void cPPActionList::OnNew() {
    int row = m_table.AddNew();
    {
        QSignalBlocker block(list);
        list->insertRow(row);
        ShowRow(row);
        list->selectRow(row);
    }
    LoadFields();
    keyName->setFocus();
    keyName->selectAll();
}

void cPPActionList::OnDelete() {
    int row = m_table.Selected();
    if (!m_table.DeleteSelected())
        return;
    {
        QSignalBlocker block(list);
        list->removeRow(row);
        if (m_table.Selected() >= 0)
            list->selectRow(m_table.Selected());
        else
            list->clearSelection();
    }
    LoadFields();
}

cPropActList::cPropActList(cActionList& first, cActionList* second, QWidget* parent)
    : QDialog(parent), m_first(first), m_second(second) {
    setWindowTitle(QStringLiteral("ActionList"));
    setModal(true);
    setFont(SharedFont());
    m_tabs = new QTabWidget(this);
    m_page = new cPPActionList(first, second, m_tabs);
    m_tabs->addTab(m_page, QStringLiteral("Action list"));
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    // The sheet's own apply button: the editor applies on OK only.
    buttons->addButton(QDialogButtonBox::Apply)->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buttons);
    resize(second ? 800 : 790, 520);
}

void cPropActList::accept() {
    m_page->WriteTo(m_first, m_second);
    QDialog::accept();
}

bool EditActionLists(QWidget* page, cActionList& first, cActionList* second) {
    cPropActList dialog(first, second, page ? page->window() : nullptr);
    return EditActionLists(page, dialog);
}

bool EditActionLists(QWidget* page, cPropActList& dialog) {
    cPropSheet* sheet = SheetOf(page);
    if (sheet)
        sheet->HoldVisible();
    bool accepted = dialog.exec() == QDialog::Accepted;
    if (sheet) {
        sheet->HoldVisible();
        // Closing the template must ask to save the lists, applied or not yet.
        if (accepted)
            MarkTemplateOf(sheet->CurrentNode());
    }
    return accepted;
}

bool EditNodeActionLists(QWidget* page, cActionList& on, cActionList& off) {
    cPropSheet* sheet = SheetOf(page);
    cActionList newOn = on;
    cActionList newOff = off;
    cPropActList dialog(newOn, &newOff, page ? page->window() : nullptr);
    if (sheet)
        sheet->HoldVisible();
    bool accepted = dialog.exec() == QDialog::Accepted;
    if (sheet)
        sheet->HoldVisible();
    cData* node = sheet ? sheet->CurrentNode() : nullptr;
    bool written = false;
    if (accepted && node)
        sheet->KeepingPendingEdits([&] { written = ReplaceActionLists(*node, newOn, newOff); });
    // The copies follow the node, so that the next apply writes what it holds.
    if (written || (accepted && !node)) {
        on = std::move(newOn);
        off = std::move(newOff);
    }
    return written;
}
