// tessary-bench: how fast the core reads and writes real templates, and how much memory
// that takes.
//
//   tessary-bench [CORPUS_DIR]           every .adm file of the folder, plus a generated
//                                        template ten times the size of the largest
//   tessary-bench --make-tenfold IN OUT  writes only that generated template
//   tessary-bench --make-copies N IN OUT a generated template N times the size of IN
//   tessary-bench --one FILE             measures one file in this process (used by the
//                                        first form, so that each file gets its own peak)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/io/files.h"
#include "core/adm/templatewriter.h"
#include "core/adm/textsource.h"
#include "core/document/document.h"
#include "core/model/nodedata.h"
#include "core/text/messages.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCopies = 10;

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

bool ReadBytes(const fs::path& path, std::string& bytes) {
    int err = 0;
    return ReadWholeFile(path.string(), bytes, err);
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(file);
}

bool IsNameChar(char16_t c) {
    return c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != u'"' && c != u';' &&
           c != u'/';
}

// The body with every string reference renamed by the suffix.
Text RenameReferences(TextView body, const Text& suffix) {
    Text out;
    out.reserve(body.size() + body.size() / 8);
    size_t pos = 0;
    while (pos < body.size()) {
        size_t mark = body.find(u"!!", pos);
        if (mark == TextView::npos) {
            out.append(body.substr(pos));
            break;
        }
        size_t end = mark + 2;
        while (end < body.size() && IsNameChar(body[end]))
            ++end;
        out.append(body.substr(pos, end - pos));
        if (end > mark + 2)
            out += suffix;
        pos = end;
    }
    return out;
}

// The strings section's lines with every name renamed by the suffix.
Text RenameStrings(TextView lines, const Text& suffix) {
    Text out;
    size_t pos = 0;
    while (pos < lines.size()) {
        size_t end = lines.find(u'\n', pos);
        end = end == TextView::npos ? lines.size() : end + 1;
        TextView line = lines.substr(pos, end - pos);
        pos = end;
        size_t equals = line.find(u'=');
        TextView trimmed = TrimBlanks(line);
        if (equals == TextView::npos || trimmed.empty() || trimmed[0] == u';' ||
            trimmed[0] == u'[') {
            out.append(line);
            continue;
        }
        size_t nameEnd = equals;
        while (nameEnd > 0 && IsBlank(line[nameEnd - 1]))
            --nameEnd;
        out.append(line.substr(0, nameEnd));
        out += suffix;
        out.append(line.substr(nameEnd));
    }
    return out;
}

// A valid template `copies` times the size of `in`: its classes and its strings repeated,
// each copy with its own string names.
bool MakeCopies(const fs::path& in, const fs::path& out, int copies = kCopies) {
    std::string bytes;
    if (!ReadBytes(in, bytes))
        return false;
    int utf16 = DecideEncoding(bytes);
    Text text = DecodeTemplate(bytes, utf16);
    size_t header = TextView::npos;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find(u'\n', pos);
        end = end == Text::npos ? text.size() : end + 1;
        if (KeywordEquals(TrimBlanks(TextView(text).substr(pos, end - pos)), u"[strings]")) {
            header = pos;
            break;
        }
        pos = end;
    }
    TextView body = TextView(text).substr(0, header);
    TextView strings;
    if (header != TextView::npos) {
        size_t afterHeader = text.find(u'\n', header);
        strings = afterHeader == Text::npos ? TextView() : TextView(text).substr(afterHeader + 1);
    }
    Text result;
    result.reserve(text.size() * size_t(copies) + text.size());
    for (int i = 0; i < copies; ++i)
        result += RenameReferences(body, FromUtf8("_c" + std::to_string(i)));
    result += u"\r\n[Strings]\r\n";
    for (int i = 0; i < copies; ++i)
        result += RenameStrings(strings, FromUtf8("_c" + std::to_string(i)));
    return WriteBytes(out, EncodeTemplate(result, 1));
}

class cCountingSink : public cMessageSink {
public:
    void Show(int, const Text& text) override {
        if (count++ == 0)
            first = ToUtf8(text);
    }
    int count = 0;
    std::string first;
};

void PrintHeader() {
    std::printf("%-24s %8s %8s %9s %9s %11s %9s %9s %11s %9s\n", "file", "MB", "policies",
                "read ms", "read MB/s", "read pol/s", "write ms", "write MB/s", "write pol/s",
                "peak MB");
}

// Reads and writes one file several times; prints the medians and this process's peak.
int MeasureOne(const fs::path& path) {
    cCountingSink sink;
    SetMessageSink(&sink);
    std::string bytes;
    if (!ReadBytes(path, bytes)) {
        std::fprintf(stderr, "%s: cannot read\n", path.c_str());
        return 1;
    }
    const double megabytes = double(bytes.size()) / 1e6;
    bytes = std::string();
    const int runs = megabytes > 5 ? 3 : 7;

    std::vector<double> readTimes;
    std::vector<double> writeTimes;
    size_t policies = 0;
    size_t written = 0;
    for (int run = 0; run < runs; ++run) {
        CPelwinDoc doc;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        auto start = std::chrono::steady_clock::now();
        bool ok = doc.ReadFile(FromUtf8(path.string()));
        readTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (!ok) {
            std::fprintf(stderr, "%s: read failed: %s\n", path.c_str(), sink.first.c_str());
            return 1;
        }
        policies = 0;
        doc.Tree().ForEachPreOrder(
            [&](cTreeItem* item) { policies += item->node && item->node->kind == kKindPolicy; });

        // What Save does before the file layer: check, write the text, encode it.
        start = std::chrono::steady_clock::now();
        Text message;
        Text text;
        ok = doc.CheckWritable(doc.Utf16(), message) && doc.WriteText(text);
        std::string encoded = EncodeTemplate(text, doc.Utf16());
        writeTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (!ok) {
            std::fprintf(stderr, "%s: write failed: %s\n", path.c_str(), ToUtf8(message).c_str());
            return 1;
        }
        written = encoded.size();
    }
    if (sink.count > 0)
        std::fprintf(stderr, "%s: %d messages, the first: %s\n", path.c_str(), sink.count,
                     sink.first.c_str());
    const double read = Median(readTimes);
    const double write = Median(writeTimes);
    std::printf("%-24s %8.2f %8zu %9.1f %9.1f %11.0f %9.1f %9.1f %11.0f %9.1f\n",
                path.filename().c_str(), megabytes, policies, read * 1e3, megabytes / read,
                double(policies) / read, write * 1e3, double(written) / 1e6 / write,
                double(policies) / write, PeakMegabytes());
    std::fflush(stdout);
    return 0;
}

// Each file in a process of its own, so that the peak memory printed is that file's.
bool MeasureInChild(const fs::path& path) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        execl("/proc/self/exe", "tessary-bench", "--one", path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--one")
        return MeasureOne(args[1]);
    if (args.size() == 3 && args[0] == "--make-tenfold")
        return MakeCopies(args[1], args[2]) ? 0 : 1;
    if (args.size() == 4 && args[0] == "--make-copies" && std::atoi(args[1].c_str()) > 0)
        return MakeCopies(args[2], args[3], std::atoi(args[1].c_str())) ? 0 : 1;
    if (args.size() > 1 || (args.size() == 1 && args[0].rfind("--", 0) == 0)) {
        std::fprintf(stderr,
                     "usage: tessary-bench [CORPUS_DIR]\n"
                     "       tessary-bench --make-tenfold IN OUT\n"
                     "       tessary-bench --make-copies N IN OUT\n"
                     "       tessary-bench --one FILE\n");
        return 2;
    }

    fs::path dir = args.empty() ? fs::path("/work/shared/corpus") : fs::path(args[0]);
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".adm")
            files.push_back(entry.path());
    if (files.empty()) {
        std::fprintf(stderr, "no .adm files in %s\n", dir.c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    fs::path largest = *std::max_element(files.begin(), files.end(), [](auto& a, auto& b) {
        return fs::file_size(a) < fs::file_size(b);
    });

    std::string folder = (fs::temp_directory_path() / "tessary-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::path tenfold = fs::path(folder) / ("tenfold-" + largest.filename().string());
    if (!MakeCopies(largest, tenfold)) {
        std::fprintf(stderr, "cannot generate %s\n", tenfold.c_str());
        return 1;
    }

    PrintHeader();
    bool ok = true;
    for (const fs::path& file : files)
        ok = MeasureInChild(file) && ok;
    ok = MeasureInChild(tenfold) && ok;
    std::printf(
        "(read: open and parse; write: check, write and encode in memory; medians; "
        "ten-times template generated from %s)\n",
        largest.filename().c_str());
    fs::remove_all(folder, ec);
    return ok ? 0 : 1;
}
