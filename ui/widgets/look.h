#pragma once

#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QStringList>

#include "core/model/seams.h"
#include "core/text/text.h"

class QLineEdit;
class QTableWidget;

// The look every window of the editor shares.

// The one font of the sheet, the dialogs and the panels.
QFont SharedFont();

// Sets a list's column widths; a type column is kept wide enough to show "<numeric>" whole
// in whatever font the list has.
void SetListColumns(QTableWidget* list, const QStringList& headers, const QList<int>& widths,
                    const QList<int>& typeColumns);
// One-line rows, and the selected row marked also while the list has no focus.
void SetListLook(QTableWidget* list);

// A Yes / No / Cancel question in a box with the application's title and the given icon:
// Yes is the default button, Esc answers Cancel, the text is shown as plain text.
cAnswer AskYesNoCancelBox(QMessageBox::Icon icon, const Text& question, QWidget* parent);

// The whole text of a one-line field that is too narrow to show it, for its tool tip; empty
// when the text fits, the field hides its text, or the field has a tool tip of its own.
QString WholeTextTip(const QLineEdit& edit);

// Shows every one-line field's whole text as its tool tip while the field is too narrow for
// it (long keys, value names and texts on the pages and in the dialogs). Installed on the
// application once.
class cWholeTextTips : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
