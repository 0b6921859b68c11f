// Times the Translations window as a translator works in it: choosing another filter
// (all, missing, untranslated, stale) filters every row again and paints the table; typing
// into the find field does the same for a text.
//
//   tessary-translatebench [ROWS [LANGUAGES]]
//
// A template of ROWS strings (2,000 by default) with LANGUAGES target languages (3), a
// quarter of each language's texts missing, untranslated, stale and translated, some of
// them explain texts of a few thousand characters. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise; prints the median and the slowest change in milliseconds.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/uibenchsupport.h"
#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/text/messages.h"
#include "core/translate/translationsteps.h"
#include "ui/translate/translationmodel.h"
#include "ui/translate/translationswindow.h"

namespace {

std::string Template(size_t rows) {
    std::string text = "CLASS MACHINE\n  CATEGORY !!Cat\n    KEYNAME \"Software\\Bench\"\n";
    for (size_t i = 0; i + 1 < rows; i += 2) {
        const std::string n = std::to_string(i);
        text += "    POLICY !!P" + n + "\n      EXPLAIN !!E" + n + "\n      VALUENAME \"V" + n +
                "\"\n    END POLICY\n";
    }
    text += "  END CATEGORY\n\n[strings]\nCat=\"Bench\"\n";
    const std::string lorem =
        "Setting this policy lets the browser use the given value for every profile. ";
    for (size_t i = 0; i + 1 < rows; i += 2) {
        const std::string n = std::to_string(i);
        std::string explain;
        for (size_t k = 0; k < (i % 50 == 0 ? 40 : 3); ++k)
            explain += lorem;
        text += "P" + n + "=\"Policy number " + n + "\"\nE" + n + "=\"" + explain + "\"\n";
    }
    return text;
}

// Processor time of this thread, which the other processes of a busy machine do not inflate.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cPrintingSink sink;
    SetMessageSink(&sink);
    const size_t rows = argc > 1 ? std::max(2, std::atoi(argv[1])) : 2000;
    const size_t languageCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    const auto folder = std::filesystem::temp_directory_path() /
                        ("tessary-translatebench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "bench-en-US.adm";
    std::ofstream(file, std::ios::binary) << Template(rows);

    auto* doc = new CPelwinDoc;
    doc->SetFrame(doc);
    doc->SetTreeView(&doc->Tree());
    if (!doc->ReadFile(FromUtf8(file.string())))
        return 1;
    doc->SetPath(FromUtf8(file.string()));
    const char16_t* tags[] = {u"de-DE", u"fr-FR", u"ja-JP", u"ru-RU", u"zh-CN", u"it-IT"};
    for (size_t l = 0; l < languageCount && l < std::size(tags); ++l) {
        Text problem;
        if (!PerformStep(*doc, cAddLanguageStep::Make(*doc, tags[l], problem))) {
            std::fprintf(stderr, "%s\n", ToUtf8(problem).c_str());
            return 1;
        }
    }
    // A quarter of each state, shifted per language so that rows differ between columns.
    {
        cTranslationSet set(*doc);
        for (size_t l = 0; l < set.LanguageCount(); ++l) {
            cLanguageTable& table = set.Languages()->At(l);
            for (size_t row = 0; row < set.RowCount(); ++row) {
                const Text& name = set.Name(row);
                switch ((row + l) % 4) {
                    case 0:
                        table.strings.Remove(name);
                        break;
                    case 1:
                        break;  // the copy: untranslated
                    case 2:
                        table.strings.Set(name, u"Übersetzt " + name);
                        table.basis[name] = u"an older text";
                        break;
                    default:
                        table.strings.Set(name, u"Übersetzt " + name);
                        break;
                }
            }
        }
    }

    cTranslationsWindow window(*doc, nullptr, nullptr, {}, nullptr);
    window.resize(1200, 800);
    window.show();
    app.processEvents();
    std::printf("%zu rows x %zu languages\n", window.Set().RowCount(),
                window.Set().LanguageCount());

    struct cTimes {
        std::vector<double> wall, cpu;
        void Print(const char* what) const {
            std::printf(
                "%s: median %.2f ms (processor %.2f ms), slowest %.2f ms (processor "
                "%.2f ms), %zu times\n",
                what, Median(wall), Median(cpu), *std::max_element(wall.begin(), wall.end()),
                *std::max_element(cpu.begin(), cpu.end()), wall.size());
        }
    };
    auto timed = [&](cTimes& times, const std::function<void()>& change) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMs();
        change();
        app.processEvents();
        // The table painted as the user sees it, not merely asked to be.
        window.View()->viewport()->repaint();
        times.cpu.push_back(CpuMs() - cpu);
        times.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    };
    cTimes filters, finds;
    for (int round = 0; round < 10; ++round)
        for (int filter : {1, 2, 3, 0})
            timed(filters, [&] { window.FilterBox()->setCurrentIndex(filter); });
    for (int round = 0; round < 5; ++round) {
        for (const char* text : {"P", "Po", "Pol", "Policy 1", "Policy 19", "Übersetzt P4", ""})
            timed(finds, [&] { window.FindField()->setText(QString::fromUtf8(text)); });
    }
    filters.Print("filter change");
    finds.Print("find keystroke");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::fflush(stdout);
    std::_Exit(0);
}
