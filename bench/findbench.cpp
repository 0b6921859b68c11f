// Times the find bar as a user types into it: every keystroke matches the whole template
// again, hides what does not match, unfolds the way to the matches, selects the first match
// (the property sheet and the preview follow) and paints the tree.
//
//   tessary-findbench [TEMPLATE] [WORD...]
//
// TEMPLATE defaults to chrome-de-DE.adm of the corpus beside the project. Each word is typed
// a character at a time and then erased a character at a time; every one of those keystrokes
// is timed. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "bench/uibenchsupport.h"
#include "core/document/document.h"
#include "core/model/seams.h"
#include "core/text/messages.h"
#include "ui/app/childframe.h"
#include "ui/preview/polleaveview.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/findbar.h"
#include "ui/tree/poltreeview.h"

namespace {

// Processor time of this thread, which the other processes of a busy machine do not inflate.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(double(values.size()) * share))];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cPrintingSink sink;
    SetMessageSink(&sink);
    auto* sheet = new cPropSheet;
    SharedState().sheet = sheet;

    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                            : QStringLiteral(TESSARY_CORPUS_DIR "/chrome-de-DE.adm");
    QStringList words;
    for (int i = 2; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    if (words.isEmpty())
        words = {QStringLiteral("Passwort"), QStringLiteral("proxy"),
                 QStringLiteral("ScreenCaptureAllowed"), QStringLiteral("Software\\Policies"),
                 QStringLiteral("xyzzy")};

    {
        CPelwinDoc doc;
        CChildFrame frame(doc, QSize(900, 650));
        auto* tree = new cPolTreeView(doc, &frame);
        frame.SetTreePane(tree);
        frame.SetPreviewPane(new cPolLeaveView(&doc));
        if (!doc.ReadFile(path.toStdU16String())) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        int nodes = 0;
        doc.Tree().ForEachPreOrder([&](cTreeItem*) { ++nodes; });
        frame.show();
        QApplication::processEvents();
        cFindBar* bar = frame.FindBar();
        bar->Open();
        QApplication::processEvents();

        std::vector<double> times, matching, cpu;
        auto keystroke = [&](auto&& change) {
            QElapsedTimer timer;
            timer.start();
            const double cpuStart = CpuMs();
            change();
            matching.push_back(double(timer.nsecsElapsed()) / 1e6);
            tree->viewport()->repaint();
            QApplication::processEvents();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
            cpu.push_back(CpuMs() - cpuStart);
        };
        for (const QString& word : words) {
            for (QChar c : word)
                keystroke([&] { bar->Field()->insert(QString(c)); });
            std::printf("  \"%s\": %zu matches\n", qPrintable(word), bar->Matches().size());
            for (int i = 0; i < word.size(); ++i)
                keystroke([&] { bar->Field()->backspace(); });
        }
        bar->Close();
        QApplication::processEvents();

        const double worstCpu = Percentile(cpu, 1.0);
        std::printf(
            "find in %s (%d nodes), %zu keystrokes, each matched, filtered, selected, laid out "
            "and painted:\n"
            "  processor time: median %.1f ms, 90%% %.1f ms, worst %.1f ms (target <= 30 ms "
            "per keystroke: %s)\n"
            "  wall time:      median %.1f ms, 90%% %.1f ms, worst %.1f ms (load average "
            "inflates it)\n"
            "  wall time before layout and painting: median %.1f ms, worst %.1f ms\n",
            qPrintable(QFileInfo(path).fileName()), nodes, times.size(), Percentile(cpu, 0.5),
            Percentile(cpu, 0.9), worstCpu, worstCpu <= 30 ? "met" : "NOT MET",
            Percentile(times, 0.5), Percentile(times, 0.9), Percentile(times, 1.0),
            Percentile(matching, 0.5), Percentile(matching, 1.0));
        frame.Detach();
    }
    SharedState().sheet = nullptr;
    delete sheet;
    return 0;
}
