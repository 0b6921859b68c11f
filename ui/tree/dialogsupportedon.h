#pragma once

#include <QDialog>

#include "core/pages/supportedonedit.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// "Supported on": an ADMX file's supportedOn definitions on one tab (name, display name and
// what each applies to, with its references and ranges below) and its products with their
// major and minor versions on the other. Like the String table dialog it works on a copy;
// OK checks the whole table (a refusal is shown and the dialog stays open).
class cDialogSupportedOn : public QDialog {
    Q_OBJECT
public:
    explicit cDialogSupportedOn(cSupportedOnEdit edit, QWidget* parent = nullptr);

    const cSupportedOnEdit& Edit() const { return m_edit; }
    void accept() override;

    QTabWidget* tabs;
    QTableWidget* definitions;  // Name, Display name, Applies to
    QLineEdit* definitionName;
    QLineEdit* definitionText;
    QComboBox* join;           // any of the references, or all of them
    QTableWidget* references;  // Kind, Reference, Minimum, Maximum
    QPushButton* addDefinition;
    QPushButton* deleteDefinition;
    QPushButton* addReference;
    QPushButton* addRange;
    QPushButton* deleteReference;
    QTreeWidget* products;  // Name, Display name, Version index
    QLineEdit* productName;
    QLineEdit* productText;
    QLineEdit* versionIndex;
    QPushButton* addProduct;
    QPushButton* addVersion;
    QPushButton* deleteProduct;
    QPushButton* okButton;
    QPushButton* cancelButton;

private:
    // Where a row of the products' tree stands: a product, a major version of it, or a
    // minor version of that.
    struct cPlace {
        int product = -1;
        int major = -1;
        int minor = -1;
    };

    void FillDefinitions();
    void ShowDefinition(int row);
    void LoadDefinition();
    void FillReferences();
    void ReadReferences();
    void AddReference(bool range);
    int SelectedDefinition() const;

    void FillProducts(cPlace select);
    void LoadProduct();
    cPlace PlaceOf(const QTreeWidgetItem* item) const;
    cPlace SelectedPlace() const;
    // The fields of the entry at a place: name, display name, version index (none for a
    // product).
    struct cFields {
        Text* name;
        Text* displayName;
        Text* versionIndex;
    };
    cFields FieldsAt(cPlace place);
    void ShowProductItem(QTreeWidgetItem* item, cPlace place);
    void OnAddVersion();
    void OnDeleteProduct();

    cSupportedOnEdit m_edit;
};

class CPelwinDoc;

// The Supported-on definitions command: runs the dialog over parent for an ADMX document and
// on OK, when anything changed, applies the table as one step, "Edit supported-on
// definitions". True on OK.
bool RunSupportedOnCommand(CPelwinDoc& doc, QWidget* parent);
