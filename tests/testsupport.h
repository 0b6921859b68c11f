#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/text/messages.h"

// Records every message shown while it is alive.
class cMessageRecorder : public cMessageSink {
public:
    cMessageRecorder() : m_previous(SetMessageSink(this)) {}
    ~cMessageRecorder() override { SetMessageSink(m_previous); }

    void Show(int severity, const Text& text) override {
        severities.push_back(severity);
        texts.push_back(text);
    }
    // The texts as UTF-8, for readable assertions.
    std::vector<std::string> Utf8() const {
        std::vector<std::string> out;
        for (const Text& t : texts)
            out.push_back(ToUtf8(t));
        return out;
    }
    void Clear() {
        severities.clear();
        texts.clear();
    }

    std::vector<int> severities;
    std::vector<Text> texts;

private:
    cMessageSink* m_previous;
};

// The lines of a text, and the same as a multiset: what the tests of a save compare.
inline std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline std::multiset<std::string> LineSet(const std::string& text) {
    const std::vector<std::string> lines = LinesOf(text);
    return {lines.begin(), lines.end()};
}

// The folder of real-world templates beside the project, or empty when it is absent.
inline std::filesystem::path CorpusDir() {
    std::filesystem::path dir(TESSARY_CORPUS_DIR);
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

inline std::vector<std::filesystem::path> CorpusFiles() {
    std::vector<std::filesystem::path> files;
    std::filesystem::path dir = CorpusDir();
    if (dir.empty())
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".adm")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Ends the test as skipped when there is no corpus to run it on: a test that loops over no
// template would otherwise pass without having checked anything.
#define SKIP_WITHOUT_CORPUS()                                                   \
    do {                                                                        \
        if (CorpusFiles().empty())                                              \
            GTEST_SKIP() << "no corpus of templates in " << TESSARY_CORPUS_DIR; \
    } while (false)

// One row of a data-driven table: a description, an input and the expected result.
struct cTextCase {
    const char* name;
    const char* input;
    const char* expected;
};

inline void PrintTo(const cTextCase& c, std::ostream* os) {
    *os << c.name;
}

// Readable test names from the cases' descriptions.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string out;
    for (char c : std::string(info.param.name))
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
}

// A file written for one test and removed when the test is done.
class cTempFile {
public:
    explicit cTempFile(const std::string& bytes, const std::string& name = "test.adm") {
        static int counter = 0;
        path =
            std::filesystem::temp_directory_path() / ("tessary-" + std::to_string(::getpid()) +
                                                      "-" + std::to_string(++counter) + "-" + name);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~cTempFile() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    cTempFile(const cTempFile&) = delete;
    cTempFile& operator=(const cTempFile&) = delete;

    Text PathText() const { return FromUtf8(path.string()); }

    std::filesystem::path path;
};
