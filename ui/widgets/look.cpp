#include "ui/widgets/look.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QToolTip>

#include <algorithm>

#include "core/pages/listtables.h"
#include "core/text/messages.h"

QFont SharedFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void SetListColumns(QTableWidget* list, const QStringList& headers, const QList<int>& widths,
                    const QList<int>& typeColumns) {
    list->setColumnCount(int(headers.size()));
    list->setHorizontalHeaderLabels(headers);
    int typeWidth =
        list->fontMetrics().horizontalAdvance(QString::fromStdU16String(Text(kTypeNumeric))) + 16;
    for (int column = 0; column < widths.size(); ++column)
        list->setColumnWidth(column, typeColumns.contains(column)
                                         ? std::max(widths[column], typeWidth)
                                         : widths[column]);
}

void SetListLook(QTableWidget* list) {
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    QPalette shown = list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        shown.setColor(QPalette::Inactive, role, shown.color(QPalette::Active, role));
    list->setPalette(shown);
}

cAnswer AskYesNoCancelBox(QMessageBox::Icon icon, const Text& question, QWidget* parent) {
    QMessageBox box(icon, QString::fromStdU16String(kAppTitle), QString::fromStdU16String(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return cAnswer::Yes;
        case QMessageBox::No:
            return cAnswer::No;
        default:
            return cAnswer::Cancel;
    }
}

QString WholeTextTip(const QLineEdit& edit) {
    if (edit.echoMode() != QLineEdit::Normal || !edit.toolTip().isEmpty() || edit.text().isEmpty())
        return QString();
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.hasFrame() ? 1 : 0;
    const QRect room = edit.style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                           .marginsRemoved(edit.textMargins());
    // The field keeps a small margin inside its contents on either side.
    const int shown = room.width() - 4;
    return edit.fontMetrics().horizontalAdvance(edit.text()) > shown ? edit.text() : QString();
}

bool cWholeTextTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return false;
    QString tip = WholeTextTip(*edit);
    if (tip.isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, edit);
    return true;
}
