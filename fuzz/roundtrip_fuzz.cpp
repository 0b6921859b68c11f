// Fuzz entry: any bytes are read as a template file; what reads and may be written is
// written, read again and written again, and the two texts written must be the same. A
// crash, a sanitizer report or a save that does not reach a fixed point is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/adm/stringtable.h"
#include "core/adm/templatereader.h"
#include "core/adm/templatewriter.h"
#include "core/adm/textsource.h"
#include "core/adm/tokenizer.h"
#include "core/document/document.h"
#include "core/text/messages.h"

namespace {

class cQuietSink : public cMessageSink {
public:
    void Show(int, const Text&) override {}
};

// Reads bytes as Open reads a file; false when the read fails.
bool ReadBytes(CPelwinDoc& doc, std::string_view bytes) {
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    if (bytes.empty())
        return false;
    doc.SetUtf16(DecideEncoding(bytes));
    Text storage;
    TextView text = TemplateText(bytes, doc.Utf16(), storage);
    if (!LoadStrings(text, doc.Strings()))
        return false;
    cTokenizer tokens(text);
    return ReadTemplate(doc.Tree(), doc.Strings(), tokens);
}

// The bytes Save would write; false when the save would be refused.
bool WriteBytes(const CPelwinDoc& doc, std::string& bytes) {
    Text problem;
    if (!doc.CheckWritable(doc.Utf16(), problem))
        return false;
    Text text;
    if (!doc.WriteText(text))
        return false;
    bytes = EncodeTemplate(text, doc.Utf16());
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static cQuietSink sink;
    SetMessageSink(&sink);
    std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string first;
    {
        CPelwinDoc doc;
        if (!ReadBytes(doc, input) || !WriteBytes(doc, first) || first.empty())
            return 0;
    }
    std::string second;
    {
        CPelwinDoc doc;
        if (!ReadBytes(doc, first)) {
            std::fprintf(stderr, "what was written does not read back\n");
            __builtin_trap();
        }
        if (!WriteBytes(doc, second)) {
            std::fprintf(stderr, "what was read back cannot be written again\n");
            __builtin_trap();
        }
    }
    if (first != second) {
        std::fprintf(stderr, "the second save differs from the first\n");
        __builtin_trap();
    }
    return 0;
}
