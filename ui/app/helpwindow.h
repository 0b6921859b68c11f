#pragma once

#include <QWidget>

class QTextBrowser;

// The editor's own help: a window of pages compiled into the program. It opens at the page
// that explains the window the user was working in.
class cHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit cHelpWindow(QWidget* parent = nullptr);

    // The page explaining the window that holds widget: the tree, the preview, a page of the
    // property sheet, the sheet itself; the contents for anything else.
    static QString TopicFor(const QWidget* widget);

    void ShowTopic(const QString& page);
    QString CurrentTopic() const;
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
