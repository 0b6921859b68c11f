#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "app/pelwinapp.h"

// Readable failures for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Runs handler on the next modal window that opens (a message box, a dialog). Gives up
// after half a minute so that a missing dialog fails the test instead of leaking into the
// next one; a loaded machine can take seconds to show a file dialog.
inline void OnNextModal(std::function<void(QWidget*)> handler) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, handler, waited] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && waited->elapsed() < 30000)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            handler(modal);
    });
    timer->start(10);
}

// Answers every question of the editor from a script and records what was asked.
class cScriptedPrompts : public cAppPrompts {
public:
    cAnswer AskYesNoCancel(const Text& question) override {
        questions.push_back(question);
        if (answers.empty())
            return cAnswer::Cancel;
        cAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool AskFormat(int& utf16) override {
        offeredFormats.push_back(utf16);
        if (!formatChoice)
            return false;
        utf16 = *formatChoice;
        return true;
    }
    bool AskSavePath(const CPelwinDoc&, Text& path) override {
        ++saveDialogs;
        if (savePath.empty())
            return false;
        path = savePath;
        return true;
    }
    bool AskOpenPath(Text& path) override {
        if (openPath.empty())
            return false;
        path = openPath;
        return true;
    }

    std::vector<Text> questions;
    std::deque<cAnswer> answers;
    std::vector<int> offeredFormats;
    std::optional<int> formatChoice;
    int saveDialogs = 0;
    Text savePath;
    Text openPath;
};
