#include "ui/app/dialogtemplateprops.h"

#include <QAbstractItemDelegate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/admx/admxset.h"
#include "core/document/document.h"
#include "core/text/messages.h"
#include "ui/widgets/look.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

Text CellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? FromQ(item->text()) : Text();
}

}  // namespace

cDialogTemplateProps::cDialogTemplateProps(cAdmxTemplatePageValues values, QWidget* parent)
    : QDialog(parent), m_values(std::move(values)) {
    setWindowTitle(QStringLiteral("Template properties"));
    setModal(true);
    setFont(SharedFont());
    setSizeGripEnabled(true);

    targetPrefix = new QLineEdit(ToQ(m_values.targetPrefix), this);
    targetNamespace = new QLineEdit(ToQ(m_values.targetNamespace), this);
    revision = new QLineEdit(ToQ(m_values.revision), this);
    minRequiredRevision = new QLineEdit(ToQ(m_values.minRequiredRevision), this);

    usings = new QTableWidget(int(m_values.usings.size()), 2, this);
    SetListLook(usings);
    usings->setHorizontalHeaderLabels({QStringLiteral("Prefix"), QStringLiteral("Namespace")});
    usings->horizontalHeader()->setStretchLastSection(true);
    usings->setColumnWidth(0, 120);
    usings->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < int(m_values.usings.size()); ++row) {
        usings->setItem(row, 0, new QTableWidgetItem(ToQ(m_values.usings[size_t(row)].prefix)));
        usings->setItem(row, 1, new QTableWidgetItem(ToQ(m_values.usings[size_t(row)].name)));
    }
    addButton = new QPushButton(QStringLiteral("&Add"), this);
    deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    for (QPushButton* button : {addButton, deleteButton})
        button->setAutoDefault(false);
    connect(addButton, &QPushButton::clicked, this, [this] {
        const int row = usings->rowCount();
        usings->insertRow(row);
        usings->setItem(row, 0, new QTableWidgetItem);
        usings->setItem(row, 1, new QTableWidgetItem);
        usings->setCurrentCell(row, 0);
        usings->editItem(usings->item(row, 0));
    });
    connect(deleteButton, &QPushButton::clicked, this, [this] {
        if (usings->currentRow() >= 0)
            usings->removeRow(usings->currentRow());
    });

    auto* own = new QGroupBox(QStringLiteral("This file's namespace"), this);
    auto* ownFields = new QFormLayout(own);
    ownFields->addRow(QStringLiteral("&Prefix:"), targetPrefix);
    ownFields->addRow(QStringLiteral("&Namespace:"), targetNamespace);

    auto* used = new QGroupBox(QStringLiteral("Namespaces used"), this);
    auto* usedButtons = new QVBoxLayout;
    usedButtons->addWidget(addButton);
    usedButtons->addWidget(deleteButton);
    usedButtons->addStretch();
    auto* usedLayout = new QHBoxLayout(used);
    usedLayout->addWidget(usings, 1);
    usedLayout->addLayout(usedButtons);

    auto* revisions = new QFormLayout;
    revisions->addRow(QStringLiteral("&Revision:"), revision);
    revisions->addRow(QStringLiteral("&Minimum revision of the language files:"),
                      minRequiredRevision);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &cDialogTemplateProps::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &cDialogTemplateProps::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(own);
    layout->addWidget(used, 1);
    layout->addLayout(revisions);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 520), sizeHint().height());
}

cAdmxTemplatePageValues cDialogTemplateProps::Values() const {
    cAdmxTemplatePageValues values = m_values;
    values.targetPrefix = FromQ(targetPrefix->text());
    values.targetNamespace = FromQ(targetNamespace->text());
    values.usings.clear();
    for (int row = 0; row < usings->rowCount(); ++row)
        values.usings.push_back({CellText(usings, row, 0), CellText(usings, row, 1)});
    values.revision = FromQ(revision->text());
    values.minRequiredRevision = FromQ(minRequiredRevision->text());
    return values;
}

void cDialogTemplateProps::accept() {
    // A cell still being typed in counts.
    if (QWidget* editor = usings->indexWidget(usings->currentIndex()))
        emit usings->itemDelegate()->commitData(editor);
    if (std::optional<Text> error = Values().Validate()) {
        ShowMessage(kSeverityError, u"%s", {*error});
        return;
    }
    QDialog::accept();
}

bool RunTemplatePropsCommand(CPelwinDoc& doc, QWidget* parent) {
    std::optional<cAdmxTemplatePageValues> values = cAdmxTemplatePageValues::Load(doc);
    if (!values)
        return false;
    cDialogTemplateProps dialog(std::move(*values), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const cAdmxTemplatePageValues result = dialog.Values();
    if (!result.Changed())
        return false;
    std::unique_ptr<cTemplatePropsStep> step = cTemplatePropsStep::Make(doc, result.Props());
    return step && PerformStep(doc, std::move(step));
}

bool HasTemplateProps(const CPelwinDoc& doc) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    return state && state->set;
}
