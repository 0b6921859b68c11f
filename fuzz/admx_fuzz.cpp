// Fuzz entry for ADMX sets: the bytes are an ADMX file and, after the first line "--adml--",
// the ADML file of its one language. What reads is written, read again and written again;
// the files of the two writes must be the same. A crash, a sanitizer report, a set that reads
// but cannot be written, or a save that does not reach a fixed point is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxwrite.h"
#include "core/text/messages.h"

namespace {

class cQuietSink : public cMessageSink {
public:
    void Show(int, const Text&) override {}
};

// A set's parts without a document.
using cSet = cHeldContent;

bool Read(cSet& set, std::string_view admx, std::string_view adml) {
    cTemplateContent content = set.Content();
    return ReadAdmxSetInMemory(u"/fuzz/set.admx", admx, {{"en-US", adml}}, content, nullptr) !=
           cReadOutcome::Failed;
}

bool Write(cSet& set, std::vector<cFileOutput>& files) {
    cTemplateContent content = set.Content();
    return WriteAdmxSet(content, u"/fuzz/set.admx", files, nullptr);
}

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static cQuietSink sink;
    SetMessageSink(&sink);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view marker = "\n--adml--\n";
    size_t split = input.find(marker);
    if (split == std::string_view::npos)
        return 0;
    std::string_view admx = input.substr(0, split);
    std::string_view adml = input.substr(split + marker.size());

    std::vector<cFileOutput> first;
    {
        cSet set;
        if (!Read(set, admx, adml))
            return 0;
        if (!Write(set, first))
            Finding("a set that reads cannot be written");
    }
    if (first.size() != 2)
        Finding("the write did not give the ADMX and its ADML");
    std::vector<cFileOutput> second;
    {
        cSet set;
        if (!Read(set, first[0].bytes, first[1].bytes))
            Finding("what was written does not read back");
        if (!Write(set, second))
            Finding("what was read back cannot be written again");
    }
    for (size_t i = 0; i < first.size(); ++i)
        if (second.size() != first.size() || first[i].path != second[i].path ||
            first[i].bytes != second[i].bytes)
            Finding("the second save differs from the first");
    return 0;
}
