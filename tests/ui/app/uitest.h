#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "ui/app/pelwinapp.h"

// Readable failures for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Runs handler on the next modal window that opens (a message box, a dialog). Gives up
// after two minutes so that a missing dialog fails the test instead of leaking into the
// next one; a loaded machine can take seconds to show a dialog. A modal the handler left
// open (a failed assertion in it) is rejected, so that a failure never hangs the run.
inline void OnNextModal(std::function<void(QWidget*)> handler) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, handler, waited] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && waited->elapsed() < 120000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return;
        QPointer<QWidget> guard(modal);
        handler(modal);
        if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard)
            QTimer::singleShot(0, guard, [guard] {
                if (guard && guard->isVisible())
                    QMetaObject::invokeMethod(guard, "reject");
            });
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
    bool AskSaveAnyway(const Text& question) override {
        questions.push_back(question);
        return saveAnyway;
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
    bool saveAnyway = false;
    Text savePath;
    Text openPath;
};
