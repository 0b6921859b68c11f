// Times the steps of an ADMX export in one process: the read (what check does), building
// both files, reading them back and comparing, and the whole export with its files.
//
//   tessary-admx-bench FILE [RUNS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/text/messages.h"

namespace {

double Milliseconds(const std::function<void()>& step, int runs) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        step();
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::unique_ptr<CPelwinDoc> Read(const std::string& path) {
    auto doc = std::make_unique<CPelwinDoc>();
    doc->SetFrame(doc.get());
    doc->SetTreeView(&doc->Tree());
    if (!doc->ReadFile(FromUtf8(path))) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return doc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [RUNS]\n", argv[0]);
        return 2;
    }
    std::string path = argv[1];
    int runs = argc > 2 ? std::atoi(argv[2]) : 11;
    std::string name = std::filesystem::path(path).stem().string();
    std::string outDir =
        (std::filesystem::temp_directory_path() / ("tessary-admx-bench-" + name)).string();

    std::vector<std::unique_ptr<CPelwinDoc>> keep;
    double read = Milliseconds([&] { keep.push_back(Read(path)); }, runs);
    const CPelwinDoc& doc = *keep.back();
    cAdmxOutput out;
    double build = Milliseconds([&] { BuildAdmx(doc, name, cAdmxOptions(), out); }, runs);
    std::vector<std::string> differences;
    double check = Milliseconds([&] { CheckAdmx(doc, out.admx, out.adml, differences); }, runs);
    cAdmxReport report;
    bool ok = true;
    double whole = Milliseconds(
        [&] { ok = ExportAdmx(doc, outDir, name, cAdmxOptions(), report) && ok; }, runs);
    std::filesystem::remove_all(outDir);

    std::printf("%s: best of %d runs\n", name.c_str(), runs);
    std::printf("read (as check)        %8.2f ms\n", read);
    std::printf("build ADMX and ADML    %8.2f ms (%zu + %zu bytes)\n", build, out.admx.size(),
                out.adml.size());
    std::printf("re-read check          %8.2f ms\n", check);
    std::printf("export with its files  %8.2f ms\n", whole);
    std::printf("read + export          %8.2f ms = %.2f x the read\n", read + whole,
                (read + whole) / read);
    return ok && differences.empty() ? 0 : 1;
}
