// Times, in the process, what `tessary-cli check` and `tessary-cli lint` do with a template:
// the read alone, the read with its line log, and the checks. The fastest of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "core/check/lint.h"
#include "core/document/document.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "../shared/corpus/chrome-de-DE.adm";
    int runs = argc > 2 ? std::stoi(argv[2]) : 20;
    double read = 1e9, logged = 1e9, lint = 1e9;
    size_t findings = 0;
    for (int i = 0; i < runs; ++i) {
        {
            CPelwinDoc doc;
            doc.SetFrame(&doc);
            doc.SetTreeView(&doc.Tree());
            auto start = Clock::now();
            if (!doc.ReadFile(FromUtf8(path))) {
                std::fprintf(stderr, "cannot read %s\n", path.c_str());
                return 1;
            }
            read = std::min(read, Ms(Clock::now() - start));
        }
        CPelwinDoc doc;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        cReadLog log;
        auto start = Clock::now();
        doc.ReadFile(FromUtf8(path), &log);
        auto middle = Clock::now();
        findings = LintTemplate(doc, log).size();
        auto end = Clock::now();
        logged = std::min(logged, Ms(middle - start));
        lint = std::min(lint, Ms(end - middle));
    }
    std::printf("file:                 %s\n", path.c_str());
    std::printf("read (check):         %.2f ms\n", read);
    std::printf("read with line log:   %.2f ms\n", logged);
    std::printf("checks:               %.2f ms (%zu findings)\n", lint, findings);
    std::printf("lint / check:         %.2f (target <= 1.50)\n", (logged + lint) / read);
    return 0;
}
