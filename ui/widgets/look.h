#pragma once

#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QStringList>

#include "core/model/seams.h"
#include "core/text/text.h"

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
