#include "ui/properties/itemlistpage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/model/partkinds.h"
#include "ui/properties/actionlisteditor.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

enum Column { kName, kValue, kType, kDefault };

}  // namespace

cPPDro2::cPPDro2(QWidget* parent) : cPropPage(QStringLiteral("Item list"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

namespace {

// The item list of a drop-down list part; none for any other node.
cItemListChain* ItemsOf(cData& node) {
    cObjPolPart* part = node.GetPartObject();
    if (!part)
        return nullptr;
    return VisitPart(*part, cOverloaded{[](cObjPolPartDropDown& list) { return &list.itemList; },
                                        [](auto&) -> cItemListChain* { return nullptr; }});
}

}  // namespace

void cPPDro2::Fill(cData& node) {
    m_items = ItemsOf(node);
    // A page shown for another part starts over from that part's list.
    Removed();
    if (isVisible() && m_items)
        CreateWindow();
}

void cPPDro2::Apply(cData& node) {
    cItemListChain* items = ItemsOf(node);
    if (items && items == m_items && m_content && IsModified())
        *m_items = m_table.Build();
    SetModified(false);
}

void cPPDro2::Removed() {
    delete m_content;
    m_content = nullptr;
    list = nullptr;
    deleteValue = explicitValue = nullptr;
    numeric = nullptr;
    itemName = value = nullptr;
    addButton = addBeforeButton = deleteButton = actionListButton = nullptr;
    m_table = cItemListTable();
}

void cPPDro2::showEvent(QShowEvent* event) {
    if (!m_content && m_items)
        CreateWindow();
    cPropPage::showEvent(event);
}

void cPPDro2::CreateWindow() {
    m_table = cItemListTable(*m_items);
    m_content = new QWidget(this);
    list = new QTableWidget(m_content);
    SetListLook(list);
    SetListColumns(list,
                   {QStringLiteral("Item name"), QStringLiteral("Value"), QStringLiteral("Type"),
                    QStringLiteral("Default")},
                   {150, 125, 65, 55}, {kType});

    deleteValue = new QRadioButton(QStringLiteral(" Delete value from registry"), m_content);
    explicitValue = new QRadioButton(QStringLiteral("Explicit value"), m_content);
    numeric = new QCheckBox(QStringLiteral("Numeric"), m_content);
    itemName = new QLineEdit(m_content);
    value = new QLineEdit(m_content);
    addButton = new QPushButton(QStringLiteral("Add "), m_content);
    addBeforeButton = new QPushButton(QStringLiteral("Add Before"), m_content);
    deleteButton = new QPushButton(QStringLiteral("Delete"), m_content);
    actionListButton = new QPushButton(QStringLiteral("Action list..."), m_content);

    auto* radios = new QGridLayout;
    radios->addWidget(deleteValue, 0, 0, 1, 2);
    radios->addWidget(explicitValue, 1, 0);
    radios->addWidget(numeric, 1, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Item name:"), itemName);
    form->addRow(QStringLiteral("Value:"), value);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {addButton, addBeforeButton, deleteButton, actionListButton})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* inner = new QVBoxLayout(m_content);
    inner->addWidget(list, 1);
    inner->addLayout(radios);
    inner->addLayout(form);
    inner->addLayout(buttons);
    layout()->addWidget(m_content);

    list->setRowCount(int(m_table.Rows().size()));
    for (int row = 0; row < list->rowCount(); ++row)
        ShowRow(row);
    ShowDefaults();
    if (m_table.Selected() >= 0)
        list->selectRow(m_table.Selected());
    LoadFields();
    SetModified(false);

    connect(list, &QTableWidget::currentCellChanged, this,
            [this](int row) { m_table.Select(row); });
    connect(list, &QTableWidget::cellClicked, this, [this](int row) {
        m_table.Select(row);
        m_table.LoadSelected();
        LoadFields();
    });
    connect(list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kDefault)
            return;
        m_table.SetDefault(item->row(), item->checkState() == Qt::Checked);
        ShowDefaults();
        MarkChanged();
    });
    connect(itemName, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_table.SetName(FromQ(text));
        ShowRow(m_table.Loaded());
        MarkChanged();
    });
    connect(value, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_table.SetValue(FromQ(text));
        ShowRow(m_table.Loaded());
        MarkChanged();
    });
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{deleteValue, explicitValue, numeric})
        connect(button, &QAbstractButton::clicked, this, [this] { WriteGroup(); });
    connect(addButton, &QPushButton::clicked, this, [this] { OnAdd(false); });
    connect(addBeforeButton, &QPushButton::clicked, this, [this] { OnAdd(true); });
    connect(deleteButton, &QPushButton::clicked, this, &cPPDro2::OnDelete);
    connect(actionListButton, &QPushButton::clicked, this, &cPPDro2::OnActionList);
}

void cPPDro2::ShowRow(int row) {
    if (row < 0 || size_t(row) >= m_table.Rows().size())
        return;
    QSignalBlocker block(list);
    const cItemRow& cells = m_table.Rows()[size_t(row)];
    const Text name = Shown(cells.name);
    for (auto [column, text] :
         {std::pair{int(kName), &name}, {int(kValue), &cells.value}, {int(kType), &cells.type}}) {
        if (QTableWidgetItem* item = list->item(row, column))
            item->setText(ToQ(*text));
        else
            list->setItem(row, column, new QTableWidgetItem(ToQ(*text)));
    }
    if (!list->item(row, kDefault)) {
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        list->setItem(row, kDefault, check);
    }
    list->item(row, kDefault)->setCheckState(cells.isDefault ? Qt::Checked : Qt::Unchecked);
}

void cPPDro2::ShowDefaults() {
    QSignalBlocker block(list);
    for (int row = 0; row < list->rowCount(); ++row)
        if (QTableWidgetItem* check = list->item(row, kDefault))
            check->setCheckState(m_table.Rows()[size_t(row)].isDefault ? Qt::Checked
                                                                       : Qt::Unchecked);
}

void cPPDro2::LoadFields() {
    int row = m_table.Loaded();
    bool any = row >= 0;
    for (QWidget* control :
         std::initializer_list<QWidget*>{deleteValue, explicitValue, numeric, itemName, value})
        control->setEnabled(any);
    if (!any)
        return;
    const cItemRow& cells = m_table.Rows()[size_t(row)];
    cValueGroupValues group = GroupFromCells(cells.type, cells.value);
    bool isDelete = group.choice == cValueGroupValues::Choice::Delete;
    deleteValue->setChecked(isDelete);
    explicitValue->setChecked(!isDelete);
    numeric->setChecked(!isDelete && group.numeric);
    // Showing a row changes nothing in it, so it leaves the page unmodified: a question
    // about edits that were never made would only be noise.
    QSignalBlocker blockName(itemName);
    QSignalBlocker blockValue(value);
    // The text the user reads; typing over it makes it the item's own text.
    itemName->setText(ToQ(Shown(cells.name)));
    value->setText(isDelete ? QString() : ToQ(cells.value));
    value->setEnabled(!isDelete);
    numeric->setEnabled(!isDelete);
    list->scrollToItem(list->item(row, kName));
}

void cPPDro2::WriteGroup() {
    cValueGroupValues group;
    group.choice = deleteValue->isChecked() ? cValueGroupValues::Choice::Delete
                                            : cValueGroupValues::Choice::Explicit;
    group.numeric = numeric->isChecked();
    group.text = FromQ(value->text());
    m_table.SetGroup(group);
    bool isDelete = group.choice == cValueGroupValues::Choice::Delete;
    value->setEnabled(!isDelete);
    numeric->setEnabled(!isDelete);
    ShowRow(m_table.Loaded());
    MarkChanged();
}

void cPPDro2::OnAdd(bool before) {
    int row = before ? m_table.AddBefore() : m_table.AddAfter();
    if (row < 0)
        return;
    {
        QSignalBlocker block(list);
        list->insertRow(row);
        ShowRow(row);
        list->selectRow(row);
    }
    LoadFields();
    itemName->setFocus();
    itemName->selectAll();
}

void cPPDro2::OnDelete() {
    int row = m_table.Selected();
    if (m_table.DeleteSelected()) {
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
    MarkChanged();
}

void cPPDro2::OnActionList() {
    int row = m_table.Selected();
    if (row < 0)
        return;
    cActionList copy = m_table.Rows()[size_t(row)].actionList;
    if (!EditActionLists(this, copy, nullptr))
        return;
    m_table.SetActionList(row, std::move(copy));
    // The row's list reaches the part through the next apply, which needs the flag.
    MarkChanged();
}
