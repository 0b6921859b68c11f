#pragma once

#include <QDialog>

#include "core/pages/admxtemplatepage.h"

class CPelwinDoc;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Template properties" of an ADMX set: the file's own prefix and namespace, the namespaces
// it uses (a table of prefix and namespace, with Add and Delete), its revision and the least
// revision of its language files. OK checks the values and, when they are refused, says why
// and stays open.
class cDialogTemplateProps : public QDialog {
    Q_OBJECT
public:
    cDialogTemplateProps(cAdmxTemplatePageValues values, QWidget* parent = nullptr);

    // The values the fields hold.
    cAdmxTemplatePageValues Values() const;

    void accept() override;

    QLineEdit* targetPrefix;
    QLineEdit* targetNamespace;
    QTableWidget* usings;
    QPushButton* addButton;
    QPushButton* deleteButton;
    QLineEdit* revision;
    QLineEdit* minRequiredRevision;
    QPushButton* okButton;

private:
    cAdmxTemplatePageValues m_values;
};

// The Template properties command: runs the dialog over parent and on OK, when something
// changed, keeps the values as one step, "Edit template properties". True when a step was
// made.
bool RunTemplatePropsCommand(CPelwinDoc& doc, QWidget* parent);
// Whether the document has template properties to edit: an ADMX set.
bool HasTemplateProps(const CPelwinDoc& doc);
