// Times, in the process, what `tessary-cli diff A B` does: reading both templates, comparing
// them and writing the lines. The fastest of several runs of each step.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "core/check/diff.h"
#include "core/document/document.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::unique_ptr<CPelwinDoc> Read(const std::string& path, double& best) {
    auto doc = std::make_unique<CPelwinDoc>();
    doc->SetFrame(doc.get());
    doc->SetTreeView(&doc->Tree());
    auto start = Clock::now();
    if (!doc->ReadFile(FromUtf8(path))) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    best = std::min(best, Ms(Clock::now() - start));
    return doc;
}

}  // namespace

int main(int argc, char** argv) {
    std::string a = argc > 2 ? argv[1] : "../shared/corpus/chrome-de-DE.adm";
    std::string b = argc > 2 ? argv[2] : "../shared/corpus/chrome-ru-RU.adm";
    int runs = argc > 3 ? std::stoi(argv[3]) : 20;
    double readA = 1e9, readB = 1e9, compare = 1e9, lines = 1e9;
    size_t count = 0;
    for (int i = 0; i < runs; ++i) {
        auto older = Read(a, readA);
        auto newer = Read(b, readB);
        auto start = Clock::now();
        cDiffResult result = DiffTemplates(*older, *newer);
        auto middle = Clock::now();
        std::string out;
        for (const cDiffEntry& entry : result.entries)
            AppendDiffLine(out, entry);
        auto end = Clock::now();
        compare = std::min(compare, Ms(middle - start));
        lines = std::min(lines, Ms(end - middle));
        count = result.entries.size();
    }
    std::printf("A:                   %s\n", a.c_str());
    std::printf("B:                   %s\n", b.c_str());
    std::printf("read A:              %.2f ms\n", readA);
    std::printf("read B:              %.2f ms\n", readB);
    std::printf("compare:             %.2f ms (%zu lines)\n", compare, count);
    std::printf("lines:               %.2f ms\n", lines);
    std::printf("diff / reading both: %.2f (target <= 2.00)\n",
                (readA + readB + compare + lines) / (readA + readB));
    return 0;
}
