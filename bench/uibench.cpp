// Times what a user waits for in a template window: expanding the whole tree of a large
// template, and selecting a policy with many parts (creating its panels, then painting them).
//
//   tessary-uibench [TEMPLATE] [PARTS]
//
// TEMPLATE defaults to the largest template of the corpus beside the project; PARTS (default
// 500) is the number of parts of the policy selected. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Prints the median of several runs of each step.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSplitter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/uibenchsupport.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "core/pages/placeholdersheet.h"
#include "core/text/messages.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/poltreeview.h"

namespace {

QString LargestCorpusTemplate() {
    QDir corpus(QStringLiteral(TESSARY_CORPUS_DIR));
    const QFileInfoList files =
        corpus.entryInfoList({QStringLiteral("*.adm")}, QDir::Files, QDir::Size);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

int CountItems(const cTemplateTree& tree) {
    int count = 0;
    const_cast<cTemplateTree&>(tree).ForEachPreOrder([&](cTreeItem*) { ++count; });
    return count;
}

int ExpandBench(const QString& path) {
    std::vector<double> times;
    int items = 0;
    for (int run = 0; run < 5; ++run) {
        cBenchWindow window;
        if (!window.doc.ReadFile(path.toStdU16String())) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        items = CountItems(window.doc.Tree());
        window.splitter->show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        window.tree->expandAll();
        window.tree->viewport()->repaint();
        QApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("expand all of %s (%d nodes): median %.1f ms (target <= 50 ms: %s)\n",
                qPrintable(QFileInfo(path).fileName()), items, Median(times),
                Median(times) <= 50 ? "met" : "NOT MET");
    return 0;
}

int SelectBench(int parts) {
    static const char16_t* const kKinds[] = {u"CHECKBOX",     u"TEXT",    u"EDITTEXT", u"COMBOBOX",
                                             u"DROPDOWNLIST", u"LISTBOX", u"NUMERIC"};
    cBenchWindow window;
    cTemplateTree& tree = window.doc.Tree();
    cTreeItem* cls =
        tree.InsertLast(nullptr, u"MACHINE", kImageClosedBook, std::make_unique<cObjClass>());
    cTreeItem* category =
        tree.InsertLast(cls, u"Category", kImageClosedBook, std::make_unique<cObjCategory>());
    cTreeItem* small = tree.InsertLast(category, u"Small", kImagePage, [] {
        auto policy = std::make_unique<cObjPolicy>();
        policy->AppendPart(CreatePartFromKeyword(u"CHECKBOX", policy.get(), false));
        return policy;
    }());
    auto big = std::make_unique<cObjPolicy>();
    for (int i = 0; i < parts; ++i) {
        auto part = CreatePartFromKeyword(kKinds[i % 7], big.get(), false);
        part->name = u"Part " + FromUtf8(std::to_string(i));
        big->AppendPart(std::move(part));
    }
    cTreeItem* large = tree.InsertLast(category, u"Large", kImagePage, std::move(big));
    window.tree->expandAll();
    window.splitter->show();
    QApplication::processEvents();

    std::vector<double> create, paint, total;
    for (int run = 0; run < 11; ++run) {
        window.tree->Select(small);
        QApplication::processEvents();
        window.pane->viewport()->repaint();
        QElapsedTimer timer;
        timer.start();
        window.tree->Select(large);
        double created = double(timer.nsecsElapsed()) / 1e6;
        window.pane->viewport()->repaint();
        QApplication::processEvents();
        double all = double(timer.nsecsElapsed()) / 1e6;
        create.push_back(created);
        paint.push_back(all - created);
        total.push_back(all);
    }
    std::printf(
        "select a policy of %d parts: median %.1f ms (%.1f ms creating, %.1f ms "
        "painting; target <= 12 ms: %s), total size %dx%d\n",
        parts, Median(total), Median(create), Median(paint),
        Median(total) <= 12 ? "met" : "NOT MET", window.pane->TotalSize().width(),
        window.pane->TotalSize().height());
    return 0;
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

    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : LargestCorpusTemplate();
    int parts = argc > 2 ? std::max(1, std::atoi(argv[2])) : 500;
    if (path.isEmpty()) {
        std::fprintf(stderr, "no template given and no corpus found\n");
        return 1;
    }
    int status = ExpandBench(path);
    status |= SelectBench(parts);
    SharedState().sheet = nullptr;
    return status;
}
