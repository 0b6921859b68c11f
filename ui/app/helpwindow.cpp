#include "ui/app/helpwindow.h"

#include <QAction>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/text/messages.h"
#include "ui/app/pelwinapp.h"
#include "ui/preview/polleaveview.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/findbar.h"
#include "ui/tree/poltreeview.h"

cHelpWindow::cHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    EnsureResources();
    setWindowTitle(QString::fromStdU16String(kAppTitle) + QStringLiteral(" Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    m_browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
    // Closed as other windows of the desktop are.
    auto* close = new QAction(QStringLiteral("Close"), this);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

QString cHelpWindow::TopicFor(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const cPolTreeView*>(w) || qobject_cast<const cFindBar*>(w))
            return QStringLiteral("tree.html");
        if (qobject_cast<const cPolLeaveView*>(w))
            return QStringLiteral("preview.html");
        if (qobject_cast<const cPropPage*>(w) && !qobject_cast<const cPPNull*>(w))
            return QStringLiteral("pages.html");
        if (qobject_cast<const cPropSheet*>(w))
            return QStringLiteral("sheet.html");
    }
    return QStringLiteral("index.html");
}

void cHelpWindow::ShowTopic(const QString& page) {
    m_browser->setSource(QUrl(page));
    show();
    raise();
    activateWindow();
}

QString cHelpWindow::CurrentTopic() const {
    return m_browser->source().fileName();
}
