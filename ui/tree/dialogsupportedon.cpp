#include "ui/tree/dialogsupportedon.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

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

QTableWidgetItem* Cell(const Text& text, bool editable = true) {
    auto* item = new QTableWidgetItem(ToQ(text));
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QPushButton* Button(const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

cDialogSupportedOn::cDialogSupportedOn(cSupportedOnEdit edit, QWidget* parent)
    : QDialog(parent), m_edit(std::move(edit)) {
    setWindowTitle(QStringLiteral("Supported on"));
    setModal(true);
    setFont(SharedFont());
    setSizeGripEnabled(true);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    cancelButton = Button("Cancel", this);
    tabs = new QTabWidget(this);

    // ---- Definitions ----
    auto* definitionsTab = new QWidget(tabs);
    definitions = new QTableWidget(definitionsTab);
    SetListLook(definitions);
    SetListColumns(
        definitions,
        {QStringLiteral("Name"), QStringLiteral("Display name"), QStringLiteral("Applies to")},
        {160, 200, 240}, {});
    definitions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    definitions->horizontalHeader()->setStretchLastSection(true);
    definitionName = new QLineEdit(definitionsTab);
    definitionText = new QLineEdit(definitionsTab);
    join = new QComboBox(definitionsTab);
    join->addItems({QStringLiteral("Any of these (or)"), QStringLiteral("All of these (and)")});
    references = new QTableWidget(definitionsTab);
    SetListLook(references);
    SetListColumns(references,
                   {QStringLiteral("Kind"), QStringLiteral("Reference"),
                    QStringLiteral("Minimum version"), QStringLiteral("Maximum version")},
                   {70, 220, 130, 130}, {});
    references->horizontalHeader()->setStretchLastSection(true);
    addDefinition = Button("Add", definitionsTab);
    deleteDefinition = Button("Delete", definitionsTab);
    addReference = Button("Add reference", definitionsTab);
    addRange = Button("Add range", definitionsTab);
    deleteReference = Button("Delete reference", definitionsTab);

    auto* definitionButtons = new QHBoxLayout;
    definitionButtons->addWidget(addDefinition);
    definitionButtons->addWidget(deleteDefinition);
    definitionButtons->addStretch();
    auto* definitionFields = new QFormLayout;
    definitionFields->addRow(QStringLiteral("Name:"), definitionName);
    definitionFields->addRow(QStringLiteral("Display name:"), definitionText);
    definitionFields->addRow(QStringLiteral("Applies to:"), join);
    auto* referenceButtons = new QHBoxLayout;
    referenceButtons->addWidget(addReference);
    referenceButtons->addWidget(addRange);
    referenceButtons->addWidget(deleteReference);
    referenceButtons->addStretch();
    auto* definitionsLayout = new QVBoxLayout(definitionsTab);
    definitionsLayout->addWidget(definitions, 2);
    definitionsLayout->addLayout(definitionButtons);
    definitionsLayout->addLayout(definitionFields);
    definitionsLayout->addWidget(references, 1);
    definitionsLayout->addLayout(referenceButtons);
    tabs->addTab(definitionsTab, QStringLiteral("Definitions"));

    // ---- Products ----
    auto* productsTab = new QWidget(tabs);
    products = new QTreeWidget(productsTab);
    products->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Display name"), QStringLiteral("Version index")});
    products->setColumnWidth(0, 180);
    products->setColumnWidth(1, 220);
    productName = new QLineEdit(productsTab);
    productText = new QLineEdit(productsTab);
    versionIndex = new QLineEdit(productsTab);
    addProduct = Button("Add product", productsTab);
    addVersion = Button("Add version", productsTab);
    addVersion->setToolTip(QStringLiteral(
        "A major version of the selected product, or a minor version of the selected major "
        "version"));
    deleteProduct = Button("Delete", productsTab);
    auto* productButtons = new QHBoxLayout;
    productButtons->addWidget(addProduct);
    productButtons->addWidget(addVersion);
    productButtons->addWidget(deleteProduct);
    productButtons->addStretch();
    auto* productFields = new QFormLayout;
    productFields->addRow(QStringLiteral("Name:"), productName);
    productFields->addRow(QStringLiteral("Display name:"), productText);
    productFields->addRow(QStringLiteral("Version index:"), versionIndex);
    auto* productsLayout = new QVBoxLayout(productsTab);
    productsLayout->addWidget(products, 1);
    productsLayout->addLayout(productButtons);
    productsLayout->addLayout(productFields);
    tabs->addTab(productsTab, QStringLiteral("Products"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);

    FillDefinitions();
    if (definitions->rowCount() > 0)
        definitions->selectRow(0);
    LoadDefinition();
    FillProducts({0, -1, -1});
    resize(760, 540);

    // Definitions: the fields follow the selection and write into the selected one.
    connect(definitions, &QTableWidget::currentCellChanged, this, [this] { LoadDefinition(); });
    connect(definitionName, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int row = SelectedDefinition();
        if (row < 0)
            return;
        m_edit.Definition(size_t(row)).name = FromQ(text);
        ShowDefinition(row);
    });
    connect(definitionText, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int row = SelectedDefinition();
        if (row < 0)
            return;
        cSupportedOnDefinition& definition = m_edit.Definition(size_t(row));
        m_edit.SetDisplayText(definition.displayName, definition.name, FromQ(text));
        ShowDefinition(row);
    });
    connect(join, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int row = SelectedDefinition();
        if (row < 0)
            return;
        m_edit.Definition(size_t(row)).join =
            index == 1 ? cSupportedOnJoin::And : cSupportedOnJoin::Or;
        ShowDefinition(row);
    });
    connect(references, &QTableWidget::itemChanged, this, [this] { ReadReferences(); });
    connect(addDefinition, &QPushButton::clicked, this, [this] {
        const int row = int(m_edit.AddDefinition());
        FillDefinitions();
        definitions->selectRow(row);
        LoadDefinition();
        definitionName->setFocus();
        definitionName->selectAll();
    });
    connect(deleteDefinition, &QPushButton::clicked, this, [this] {
        const int row = SelectedDefinition();
        if (row < 0)
            return;
        if (std::optional<Text> refused = m_edit.DeleteDefinition(size_t(row))) {
            ShowMessage(kSeverityError, u"%s", {*refused});
            return;
        }
        FillDefinitions();
        if (definitions->rowCount() > 0)
            definitions->selectRow(std::min(row, definitions->rowCount() - 1));
        LoadDefinition();
    });
    connect(addReference, &QPushButton::clicked, this, [this] { AddReference(false); });
    connect(addRange, &QPushButton::clicked, this, [this] { AddReference(true); });
    connect(deleteReference, &QPushButton::clicked, this, [this] {
        const int row = SelectedDefinition();
        const int at = references->currentRow();
        if (row < 0 || at < 0)
            return;
        auto& list = m_edit.Definition(size_t(row)).references;
        list.erase(list.begin() + at);
        FillReferences();
        ShowDefinition(row);
    });

    // Products.
    connect(products, &QTreeWidget::currentItemChanged, this, [this] { LoadProduct(); });
    auto field = [this](QLineEdit* edit, int which) {
        connect(edit, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            const cPlace place = SelectedPlace();
            if (place.product < 0)
                return;
            cFields fields = FieldsAt(place);
            if (which == 0)
                *fields.name = FromQ(text);
            else if (which == 1)
                m_edit.SetDisplayText(*fields.displayName, *fields.name, FromQ(text));
            else if (fields.versionIndex)
                *fields.versionIndex = FromQ(text);
            ShowProductItem(products->currentItem(), place);
        });
    };
    field(productName, 0);
    field(productText, 1);
    field(versionIndex, 2);
    connect(addProduct, &QPushButton::clicked, this, [this] {
        FillProducts({int(m_edit.AddProduct()), -1, -1});
        productName->setFocus();
        productName->selectAll();
    });
    connect(addVersion, &QPushButton::clicked, this, &cDialogSupportedOn::OnAddVersion);
    connect(deleteProduct, &QPushButton::clicked, this, &cDialogSupportedOn::OnDeleteProduct);

    connect(okButton, &QPushButton::clicked, this, &cDialogSupportedOn::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void cDialogSupportedOn::accept() {
    if (std::optional<Text> error = m_edit.Validate()) {
        ShowMessage(kSeverityError, u"%s", {*error});
        return;
    }
    QDialog::accept();
}

// ---- Definitions ---------------------------------------------------------------------------

int cDialogSupportedOn::SelectedDefinition() const {
    const int row = definitions->currentRow();
    return row >= 0 && size_t(row) < m_edit.Table().definitions.size() ? row : -1;
}

void cDialogSupportedOn::FillDefinitions() {
    QSignalBlocker block(definitions);
    definitions->clearContents();
    definitions->setRowCount(int(m_edit.Table().definitions.size()));
    for (int row = 0; row < definitions->rowCount(); ++row)
        ShowDefinition(row);
}

void cDialogSupportedOn::ShowDefinition(int row) {
    const cSupportedOnDefinition& definition = m_edit.Table().definitions.at(size_t(row));
    const Text cells[] = {definition.name, m_edit.Shown(definition.displayName),
                          AppliesToText(definition)};
    for (int column = 0; column < 3; ++column) {
        if (QTableWidgetItem* item = definitions->item(row, column))
            item->setText(ToQ(cells[column]));
        else
            definitions->setItem(row, column, Cell(cells[column], false));
    }
}

void cDialogSupportedOn::LoadDefinition() {
    const int row = SelectedDefinition();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{definitionName, definitionText, join, references,
                                         addReference, addRange, deleteReference, deleteDefinition})
        widget->setEnabled(row >= 0);
    {
        QSignalBlocker blockName(definitionName);
        QSignalBlocker blockText(definitionText);
        QSignalBlocker blockJoin(join);
        if (row < 0) {
            definitionName->clear();
            definitionText->clear();
        } else {
            const cSupportedOnDefinition& definition = m_edit.Table().definitions[size_t(row)];
            definitionName->setText(ToQ(definition.name));
            definitionText->setText(ToQ(m_edit.Shown(definition.displayName)));
            definitionText->setCursorPosition(0);
            join->setCurrentIndex(definition.join == cSupportedOnJoin::And ? 1 : 0);
        }
    }
    FillReferences();
}

void cDialogSupportedOn::FillReferences() {
    QSignalBlocker block(references);
    references->clearContents();
    const int row = SelectedDefinition();
    if (row < 0) {
        references->setRowCount(0);
        return;
    }
    const auto& list = m_edit.Table().definitions[size_t(row)].references;
    references->setRowCount(int(list.size()));
    for (int at = 0; at < int(list.size()); ++at) {
        const cSupportedOnReference& reference = list[size_t(at)];
        references->setItem(at, 0, Cell(reference.range ? u"Range" : u"Reference", false));
        references->setItem(at, 1, Cell(reference.ref));
        references->setItem(at, 2, Cell(reference.minVersionIndex, reference.range));
        references->setItem(at, 3, Cell(reference.maxVersionIndex, reference.range));
    }
}

void cDialogSupportedOn::ReadReferences() {
    const int row = SelectedDefinition();
    if (row < 0)
        return;
    auto& list = m_edit.Definition(size_t(row)).references;
    for (int at = 0; at < references->rowCount() && size_t(at) < list.size(); ++at) {
        cSupportedOnReference& reference = list[size_t(at)];
        auto text = [&](int column) {
            QTableWidgetItem* item = references->item(at, column);
            return item ? FromQ(item->text().trimmed()) : Text();
        };
        reference.ref = text(1);
        if (reference.range) {
            reference.minVersionIndex = text(2);
            reference.maxVersionIndex = text(3);
        }
    }
    ShowDefinition(row);
}

void cDialogSupportedOn::AddReference(bool range) {
    const int row = SelectedDefinition();
    if (row < 0)
        return;
    cSupportedOnDefinition& definition = m_edit.Definition(size_t(row));
    cSupportedOnReference reference;
    reference.range = range;
    definition.references.push_back(reference);
    if (definition.join == cSupportedOnJoin::None)
        definition.join = join->currentIndex() == 1 ? cSupportedOnJoin::And : cSupportedOnJoin::Or;
    FillReferences();
    const int at = references->rowCount() - 1;
    references->setCurrentCell(at, 1);
    references->editItem(references->item(at, 1));
    ShowDefinition(row);
}

// ---- Products ------------------------------------------------------------------------------

cDialogSupportedOn::cPlace cDialogSupportedOn::PlaceOf(const QTreeWidgetItem* item) const {
    cPlace place;
    if (!item)
        return place;
    std::vector<int> rows;
    for (const QTreeWidgetItem* at = item; at; at = at->parent())
        rows.insert(rows.begin(),
                    at->parent() ? at->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(at))
                                 : products->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(at)));
    place.product = rows.size() > 0 ? rows[0] : -1;
    place.major = rows.size() > 1 ? rows[1] : -1;
    place.minor = rows.size() > 2 ? rows[2] : -1;
    return place;
}

cDialogSupportedOn::cPlace cDialogSupportedOn::SelectedPlace() const {
    return PlaceOf(products->currentItem());
}

cDialogSupportedOn::cFields cDialogSupportedOn::FieldsAt(cPlace place) {
    cSupportedOnProduct& product = m_edit.Product(size_t(place.product));
    if (place.major < 0)
        return {&product.name, &product.displayName, nullptr};
    cSupportedOnVersion* version = &product.majors.at(size_t(place.major));
    if (place.minor >= 0)
        version = &version->minors.at(size_t(place.minor));
    return {&version->name, &version->displayName, &version->versionIndex};
}

void cDialogSupportedOn::ShowProductItem(QTreeWidgetItem* item, cPlace place) {
    if (!item || place.product < 0)
        return;
    cFields fields = FieldsAt(place);
    item->setText(0, ToQ(*fields.name));
    item->setText(1, ToQ(m_edit.Shown(*fields.displayName)));
    item->setText(2, fields.versionIndex ? ToQ(*fields.versionIndex) : QString());
}

void cDialogSupportedOn::FillProducts(cPlace select) {
    QSignalBlocker block(products);
    products->clear();
    QTreeWidgetItem* selected = nullptr;
    const auto& list = m_edit.Table().products;
    for (int p = 0; p < int(list.size()); ++p) {
        auto* product = new QTreeWidgetItem(products);
        ShowProductItem(product, {p, -1, -1});
        for (int m = 0; m < int(list[size_t(p)].majors.size()); ++m) {
            auto* major = new QTreeWidgetItem(product);
            ShowProductItem(major, {p, m, -1});
            for (int n = 0; n < int(list[size_t(p)].majors[size_t(m)].minors.size()); ++n) {
                auto* minor = new QTreeWidgetItem(major);
                ShowProductItem(minor, {p, m, n});
                if (select.product == p && select.major == m && select.minor == n)
                    selected = minor;
            }
            if (select.product == p && select.major == m && select.minor < 0)
                selected = major;
        }
        if (select.product == p && select.major < 0)
            selected = product;
    }
    products->expandAll();
    if (!selected && products->topLevelItemCount() > 0)
        selected = products->topLevelItem(0);
    if (selected)
        products->setCurrentItem(selected);
    LoadProduct();
}

void cDialogSupportedOn::LoadProduct() {
    const cPlace place = SelectedPlace();
    const bool any = place.product >= 0;
    QSignalBlocker blockName(productName);
    QSignalBlocker blockText(productText);
    QSignalBlocker blockIndex(versionIndex);
    productName->setEnabled(any);
    productText->setEnabled(any);
    addVersion->setEnabled(any && place.minor < 0);
    deleteProduct->setEnabled(any);
    if (!any) {
        productName->clear();
        productText->clear();
        versionIndex->clear();
        versionIndex->setEnabled(false);
        return;
    }
    cFields fields = FieldsAt(place);
    productName->setText(ToQ(*fields.name));
    productText->setText(ToQ(m_edit.Shown(*fields.displayName)));
    versionIndex->setEnabled(fields.versionIndex != nullptr);
    versionIndex->setText(fields.versionIndex ? ToQ(*fields.versionIndex) : QString());
}

void cDialogSupportedOn::OnAddVersion() {
    const cPlace place = SelectedPlace();
    if (place.product < 0 || place.minor >= 0)
        return;
    if (place.major < 0)
        FillProducts({place.product, int(m_edit.AddMajorVersion(size_t(place.product))), -1});
    else
        FillProducts({place.product, place.major,
                      int(m_edit.AddMinorVersion(size_t(place.product), size_t(place.major)))});
    productName->setFocus();
    productName->selectAll();
}

void cDialogSupportedOn::OnDeleteProduct() {
    const cPlace place = SelectedPlace();
    if (place.product < 0)
        return;
    std::optional<Text> refused =
        place.major < 0
            ? m_edit.DeleteProduct(size_t(place.product))
            : m_edit.DeleteVersion(
                  size_t(place.product), size_t(place.major),
                  place.minor < 0 ? std::nullopt : std::optional<size_t>(size_t(place.minor)));
    if (refused) {
        ShowMessage(kSeverityError, u"%s", {*refused});
        return;
    }
    // The one before it at its level, else its parent.
    cPlace next = place;
    if (place.minor >= 0)
        next.minor = place.minor - 1;
    else if (place.major >= 0)
        next.major = place.major - 1;
    else
        next.product = std::max(0, place.product - 1);
    FillProducts(next);
}

bool RunSupportedOnCommand(CPelwinDoc& doc, QWidget* parent) {
    std::optional<cSupportedOnEdit> edit = cSupportedOnEdit::Load(doc);
    if (!edit)
        return false;
    cDialogSupportedOn dialog(std::move(*edit), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (std::unique_ptr<cEditStep> step = dialog.Edit().MakeStep(doc))
        PerformStep(doc, std::move(step));
    return true;
}
