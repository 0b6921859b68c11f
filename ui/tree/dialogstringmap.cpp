#include "ui/tree/dialogstringmap.h"

#include <algorithm>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/admx/admxset.h"
#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "ui/widgets/look.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

// The layout is given in dialog units; the editor converts them with one ratio.
QRect Dlu(int x, int y, int width, int height) {
    return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

}  // namespace

cDialogStringMap::cDialogStringMap(const cStringMap& map, QWidget* parent, const cStringUses* uses)
    : QDialog(parent), m_map(map), m_uses(uses), m_rows(map) {
    setWindowTitle(QStringLiteral("String table"));
    setModal(true);
    setFont(SharedFont());
    setSizeGripEnabled(true);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    list = new QTableWidget(this);
    addButton = new QPushButton(QStringLiteral("Add "), this);
    deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    removeUnusedButton = new QPushButton(QStringLiteral("Remove unused"), this);
    removeUnusedButton->setToolTip(
        QStringLiteral("Delete every string that no node of the template refers to"));
    removeUnusedButton->setEnabled(uses != nullptr);
    for (QPushButton* button : {addButton, deleteButton, removeUnusedButton})
        button->setAutoDefault(false);
    filter = new QLineEdit(this);
    filter->setPlaceholderText(QStringLiteral("Names and texts containing..."));
    filter->setClearButtonEnabled(true);
    count = new QLabel(this);
    searchString = new QLineEdit(this);
    displayString = new QLineEdit(this);

    // The buttons keep the width the fixed layout gave them; the list and the fields take
    // what the dialog grows by.
    const int buttonWidth = Dlu(0, 0, 50, 0).width();
    for (QPushButton* button : {okButton, cancelButton, addButton, deleteButton})
        button->setMinimumWidth(buttonWidth);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addSpacing(Dlu(0, 0, 0, 14).height());
    buttons->addWidget(addButton);
    buttons->addWidget(deleteButton);
    buttons->addWidget(removeUnusedButton);
    buttons->addStretch();
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    filterRow->addWidget(filter, 1);
    filterRow->addWidget(count);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Search string:"), searchString);
    fields->addRow(QStringLiteral("Display string:"), displayString);
    auto* left = new QVBoxLayout;
    left->addLayout(filterRow);
    left->addWidget(list, 1);
    left->addLayout(fields);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    SetListLook(list);
    SetListColumns(list, {QStringLiteral("Search string"), QStringLiteral("Display string")},
                   {200, 200}, {});
    list->horizontalHeader()->setStretchLastSection(true);

    FillList();
    if (m_rows.Selected() >= 0)
        list->selectRow(m_rows.Selected());
    LoadFields(true);

    // No smaller than the fixed layout was; opened showing a dozen rows of a long table.
    setMinimumSize(Dlu(0, 0, 347, 134).size());
    const int rowHeight = list->verticalHeader()->defaultSectionSize();
    list->setMinimumHeight(list->horizontalHeader()->sizeHint().height() + 12 * rowHeight +
                           2 * list->frameWidth());
    resize(std::max(sizeHint().width(), Dlu(0, 0, 420, 0).width()), sizeHint().height());
    list->setMinimumHeight(list->horizontalHeader()->sizeHint().height() + 3 * rowHeight +
                           2 * list->frameWidth());

    // The fields follow the selection, whether it moves by click or by key; a click also
    // hands them the focus.
    connect(list, &QTableWidget::currentCellChanged, this, [this](int row) {
        m_rows.Select(row);
        LoadFields(false);
    });
    connect(list, &QTableWidget::cellClicked, this, [this] { LoadFields(true); });
    connect(searchString, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_rows.SetName(FromQ(text));
        ShowRow(m_rows.Selected());
    });
    connect(displayString, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_rows.SetText(FromQ(text));
        ShowRow(m_rows.Selected());
    });
    connect(filter, &QLineEdit::textChanged, this, &cDialogStringMap::ApplyFilter);
    connect(addButton, &QPushButton::clicked, this, &cDialogStringMap::OnAdd);
    connect(deleteButton, &QPushButton::clicked, this, &cDialogStringMap::OnDelete);
    connect(removeUnusedButton, &QPushButton::clicked, this, &cDialogStringMap::OnRemoveUnused);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void cDialogStringMap::FillList() {
    QSignalBlocker block(list);
    list->clearContents();
    list->setRowCount(int(m_rows.Rows().size()));
    for (int row = 0; row < list->rowCount(); ++row)
        ShowRow(row);
    ApplyFilter();
}

bool cDialogStringMap::RowShown(int row) const {
    const QString wanted = filter->text();
    if (wanted.isEmpty())
        return true;
    const cStringRow& cells = m_rows.Rows()[size_t(row)];
    return ToQ(cells.name).contains(wanted, Qt::CaseInsensitive) ||
           ToQ(cells.text).contains(wanted, Qt::CaseInsensitive);
}

void cDialogStringMap::ApplyFilter() {
    int shown = 0;
    const int rows = list->rowCount();
    for (int row = 0; row < rows; ++row) {
        bool show = RowShown(row);
        list->setRowHidden(row, !show);
        shown += show ? 1 : 0;
    }
    count->setText(shown == rows ? QString::fromStdU16String(Counted(rows, u"string", u"strings"))
                                 : QStringLiteral("%1 of %2 strings").arg(shown).arg(rows));
    // A row the filter hides cannot stay the one the fields edit.
    int selected = m_rows.Selected();
    if (selected >= 0 && list->isRowHidden(selected))
        SelectShown(selected);
}

void cDialogStringMap::SelectShown(int row) {
    const int rows = list->rowCount();
    int found = -1;
    for (int at = std::min(row, rows - 1); at >= 0 && found < 0; --at)
        if (!list->isRowHidden(at))
            found = at;
    for (int at = std::max(row, 0); at < rows && found < 0; ++at)
        if (!list->isRowHidden(at))
            found = at;
    m_rows.Select(found);
    {
        QSignalBlocker block(list);
        if (found >= 0)
            list->selectRow(found);
        else
            list->clearSelection();
    }
    LoadFields(false);
}

void cDialogStringMap::ShowRow(int row) {
    if (row < 0 || size_t(row) >= m_rows.Rows().size())
        return;
    const cStringRow& cells = m_rows.Rows()[size_t(row)];
    for (auto [column, text] : {std::pair{0, &cells.name}, {1, &cells.text}}) {
        if (QTableWidgetItem* item = list->item(row, column))
            item->setText(ToQ(*text));
        else
            list->setItem(row, column, new QTableWidgetItem(ToQ(*text)));
    }
}

void cDialogStringMap::LoadFields(bool focus) {
    int row = m_rows.Selected();
    searchString->setEnabled(row >= 0);
    displayString->setEnabled(row >= 0);
    if (row < 0)
        return;
    const cStringRow& cells = m_rows.Rows()[size_t(row)];
    {
        QSignalBlocker blockName(searchString);
        QSignalBlocker blockText(displayString);
        searchString->setText(ToQ(cells.name));
        displayString->setText(ToQ(cells.text));
        // Long texts are read from their beginning.
        displayString->setCursorPosition(0);
    }
    list->scrollToItem(list->item(row, 0));
    searchString->selectAll();
    if (focus)
        searchString->setFocus();
}

void cDialogStringMap::OnAdd() {
    // The new row is to be named at once: no filter may hide it.
    filter->clear();
    int row = m_rows.Add();
    {
        QSignalBlocker block(list);
        list->insertRow(row);
        ShowRow(row);
        list->selectRow(row);
    }
    ApplyFilter();
    LoadFields(true);
}

void cDialogStringMap::OnDelete() {
    int row = m_rows.Selected();
    if (!m_rows.DeleteSelected())
        return;
    {
        QSignalBlocker block(list);
        list->removeRow(row);
    }
    ApplyFilter();
    SelectShown(m_rows.Selected());
    if (m_rows.Selected() >= 0)
        searchString->setFocus();
}

void cDialogStringMap::OnRemoveUnused() {
    if (!m_uses || m_rows.RemoveUnused(*m_uses) == 0)
        return;
    FillList();
    SelectShown(m_rows.Selected());
}

bool RunStringTableCommand(CPelwinDoc& doc, QWidget* parent) {
    cStringUses uses;
    uses.AddTree(doc.Tree());
    // The display names of an ADMX file's supported-on products and definitions are uses
    // too, whether or not a policy shows them.
    if (const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState())) {
        const cSupportedOnTable table = state->SupportedOn();
        for (const cSupportedOnDefinition& definition : table.definitions)
            uses.AddText(definition.displayName);
        for (const cSupportedOnProduct& product : table.products) {
            uses.AddText(product.displayName);
            for (const cSupportedOnVersion& major : product.majors) {
                uses.AddText(major.displayName);
                for (const cSupportedOnVersion& minor : major.minors)
                    uses.AddText(minor.displayName);
            }
        }
    }
    cDialogStringMap dialog(doc.Strings(), parent, &uses);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    PerformStep(doc,
                std::make_unique<cStringTableStep>(Text(u"Edit string table"), dialog.Result()));
    return true;
}
