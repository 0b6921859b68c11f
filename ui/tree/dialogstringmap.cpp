#include "ui/tree/dialogstringmap.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

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

cDialogStringMap::cDialogStringMap(const cStringMap& map, QWidget* parent)
    : QDialog(parent), m_map(map), m_rows(map) {
    setWindowTitle(QStringLiteral("String table"));
    setModal(true);
    setFont(SharedFont());
    setFixedSize(Dlu(0, 0, 347, 134).size());

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(Dlu(290, 3, 50, 14));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(Dlu(290, 20, 50, 14));
    list = new QTableWidget(this);
    list->setGeometry(Dlu(7, 2, 274, 83));
    addButton = new QPushButton(QStringLiteral("Add "), this);
    addButton->setGeometry(Dlu(290, 51, 50, 14));
    addButton->setAutoDefault(false);
    deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    deleteButton->setGeometry(Dlu(290, 69, 50, 14));
    deleteButton->setAutoDefault(false);
    auto* searchLabel = new QLabel(QStringLiteral("Search string:"), this);
    searchString = new QLineEdit(this);
    auto* displayLabel = new QLabel(QStringLiteral("Display string:"), this);
    displayString = new QLineEdit(this);
    // The fields begin where the labels end, so that no font cuts the labels; they end
    // under the list's right edge.
    QRect searchRect = Dlu(60, 97, 221, 12);
    QRect displayRect = Dlu(60, 115, 221, 12);
    int labelLeft = Dlu(10, 0, 0, 0).left();
    int fieldLeft = std::max(searchRect.left(),
                             labelLeft + fontMetrics().horizontalAdvance(displayLabel->text()) + 6);
    for (QRect* rect : {&searchRect, &displayRect})
        rect->setLeft(fieldLeft);
    searchString->setGeometry(searchRect);
    displayString->setGeometry(displayRect);
    searchLabel->setGeometry(labelLeft, searchRect.top(), fieldLeft - labelLeft,
                             searchRect.height());
    displayLabel->setGeometry(labelLeft, displayRect.top(), fieldLeft - labelLeft,
                              displayRect.height());

    SetListLook(list);
    SetListColumns(list, {QStringLiteral("Search string"), QStringLiteral("Display string")},
                   {200, 200}, {});

    list->setRowCount(int(m_rows.Rows().size()));
    for (int row = 0; row < list->rowCount(); ++row)
        ShowRow(row);
    if (m_rows.Selected() >= 0)
        list->selectRow(m_rows.Selected());
    LoadFields(true);

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
    connect(addButton, &QPushButton::clicked, this, &cDialogStringMap::OnAdd);
    connect(deleteButton, &QPushButton::clicked, this, &cDialogStringMap::OnDelete);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
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
    int row = m_rows.Add();
    {
        QSignalBlocker block(list);
        list->insertRow(row);
        ShowRow(row);
        list->selectRow(row);
    }
    LoadFields(true);
}

void cDialogStringMap::OnDelete() {
    int row = m_rows.Selected();
    if (!m_rows.DeleteSelected())
        return;
    {
        QSignalBlocker block(list);
        list->removeRow(row);
        if (m_rows.Selected() >= 0)
            list->selectRow(m_rows.Selected());
        else
            list->clearSelection();
    }
    LoadFields(true);
}

bool RunStringTableCommand(CPelwinDoc& doc, QWidget* parent) {
    cDialogStringMap dialog(doc.Strings(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    PerformStep(doc,
                std::make_unique<cStringTableStep>(Text(u"Edit string table"), dialog.Result()));
    return true;
}
