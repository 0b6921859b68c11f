#include "core/adm/admformat.h"

#include <new>

#include "core/adm/stringtable.h"
#include "core/adm/templatereader.h"
#include "core/adm/templatewriter.h"
#include "core/adm/textsource.h"
#include "core/adm/tokenizer.h"
#include "core/io/files.h"
#include "core/text/messages.h"

namespace {

// Passes every message on and notes it, with the line the tokenizer stands on, in a log.
class cLoggingSink : public cMessageSink {
public:
    cLoggingSink(cReadLog& log, const cTokenizer& tokens)
        : m_log(log), m_tokens(tokens), m_next(SetMessageSink(this)) {}
    ~cLoggingSink() override { SetMessageSink(m_next); }
    cLoggingSink(const cLoggingSink&) = delete;
    cLoggingSink& operator=(const cLoggingSink&) = delete;

    void Show(int severity, const Text& text) override {
        m_log.messages.push_back({m_tokens.CurrentLine(), severity, text});
        if (m_next)
            m_next->Show(severity, text);
    }

private:
    cReadLog& m_log;
    const cTokenizer& m_tokens;
    cMessageSink* m_next;  // Not owned.
};

// Whether the text holds a comment line (";" or "//" after blanks).
bool HoldsCommentLine(TextView text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(u'\n', pos);
        if (end == TextView::npos)
            end = text.size();
        TextView line = TrimBlanks(text.substr(pos, end - pos));
        if (!line.empty() && (line[0] == u';' || (line.size() >= 2 && line.substr(0, 2) == u"//")))
            return true;
        pos = end + 1;
    }
    return false;
}

}  // namespace

bool cAdmFormat::Recognizes(std::string_view bytes) const {
    (void)bytes;
    return true;
}

cReadOutcome cAdmFormat::Read(const Text& path, cFileBytes& file, cTemplateContent& content,
                              cReadLog* log) const {
    std::string_view bytes = file.View();
    // Running out of memory ends this read, not the program.
    try {
        cReadHeap heap(bytes.size());
        content.encoding = DecideEncoding(bytes);
        Text storage;
        TextView text = TemplateText(bytes, content.encoding, storage);
        if (!LoadStrings(text, content.strings, log))
            return cReadOutcome::Failed;
        // The strings were found in a pass over the whole text, which is all resident now;
        // the tokens are read front to back, so what lies behind them can go as they advance.
        // A decoded copy leaves nothing to read in the mapping at all.
        cTokenizer tokens(text);
        const char* textStart = reinterpret_cast<const char*>(text.data());
        if (textStart >= bytes.data() && textStart < bytes.data() + bytes.size()) {
            const size_t offset = size_t(textStart - bytes.data());
            file.ReleaseForSecondPass();
            tokens.SetReleaseHook(
                [&file, offset](size_t consumed) { file.Release(offset + consumed * 2); },
                ReleaseStep(text.size()));
        } else {
            file.Release();
        }
        cTemplateTree* tree = nullptr;
        auto readTree = [&] {
            tree = content.tree();
            return tree && ReadTemplate(*tree, content.strings, tokens, &content.passedOver, log);
        };
        bool read;
        if (log) {
            tokens.SetReferenceLog(&log->references);
            cLoggingSink sink(*log, tokens);
            read = readTree();
        } else {
            read = readTree();
        }
        if (!read)
            return cReadOutcome::Failed;
        // Comments that no node followed stay at the end of the nodes.
        content.trailingComments = tokens.TakeComments();
        if (tree->IsEmpty() && content.strings.Empty() && !HoldsCommentLine(text))
            return cReadOutcome::Nothing;
        return cReadOutcome::Read;
    } catch (const std::bad_alloc&) {
        ShowMessage(kSeverityError, u"Error reading file %s: not enough memory", {path});
        return cReadOutcome::Failed;
    }
}

Text cAdmFormat::ResolveText(const cStringMap& strings, TextView text) const {
    return ::ResolveText(strings, text);
}

bool cAdmFormat::CheckWritable(const cTemplateContent& content, Text& message) const {
    cTemplateTree* tree = content.tree();
    // Without a tree nothing is written, so nothing can fail to read back.
    if (!tree) {
        message.clear();
        return true;
    }
    if (!::CheckWritable(*tree, content.strings, content.encoding, message,
                         &content.trailingComments))
        return false;
    const auto* companions = dynamic_cast<const cAdmCompanionFiles*>(content.state.get());
    return !companions || companions->CheckWritable(content, message);
}

bool cAdmFormat::Write(const cTemplateContent& content, const Text& path,
                       std::vector<cFileOutput>& files) const {
    cTemplateTree* tree = content.tree();
    if (!tree) {
        ShowMessage(kSeverityInternal, u"Unable to retrieve document view.");
        return false;
    }
    Text text;
    if (!SaveTemplate(*tree, content.strings, text, &content.trailingComments))
        return false;
    files.push_back({path, EncodeTemplate(text, content.encoding)});
    const auto* companions = dynamic_cast<const cAdmCompanionFiles*>(content.state.get());
    return !companions || companions->Write(content, files);
}
