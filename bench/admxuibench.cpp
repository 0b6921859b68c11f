// Times what a user waits for when opening an ADMX set in a template window: reading the set
// and painting the window the first time, then expanding its whole tree.
//
//   tessary-admxuibench [SET.admx]
//
// SET defaults to the largest ADMX file of the corpus beside the project (its language
// folders beside it). Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// Prints the median of several runs of each step.

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSplitter>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/uibenchsupport.h"
#include "core/document/document.h"
#include "core/pages/placeholdersheet.h"
#include "core/text/messages.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/poltreeview.h"

namespace {

QString LargestCorpusSet() {
    QString largest;
    qint64 size = -1;
    QDirIterator it(QStringLiteral(TESSARY_CORPUS_DIR), {QStringLiteral("*.admx")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFileInfo file(it.next());
        if (file.size() > size) {
            size = file.size();
            largest = file.absoluteFilePath();
        }
    }
    return largest;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cPrintingSink sink;
    SetMessageSink(&sink);
    cPlaceholderSheet sheet;
    SharedState().sheet = &sheet;

    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : LargestCorpusSet();
    if (path.isEmpty()) {
        std::fprintf(stderr, "no set given and no corpus found\n");
        return 1;
    }
    std::vector<double> open, expand;
    size_t items = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<cBenchWindow>();
        if (!window->doc.ReadFile(path.toStdU16String())) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        window->splitter->show();
        window->tree->viewport()->repaint();
        window->pane->viewport()->repaint();
        QApplication::processEvents();
        open.push_back(double(timer.nsecsElapsed()) / 1e6);
        items = window->doc.Tree().ItemCount();

        timer.restart();
        window->tree->expandAll();
        window->tree->viewport()->repaint();
        QApplication::processEvents();
        expand.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const QString name = QFileInfo(path).fileName();
    std::printf("open + first paint of %s (%zu nodes): median %.1f ms (target <= 150 ms: %s)\n",
                qPrintable(name), items, Median(open), Median(open) <= 150 ? "met" : "NOT MET");
    std::printf("expand all of %s: median %.1f ms (target <= 50 ms: %s)\n", qPrintable(name),
                Median(expand), Median(expand) <= 50 ? "met" : "NOT MET");
    SharedState().sheet = nullptr;
    return 0;
}
