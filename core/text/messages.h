#pragma once

#include <string>
#include <vector>

#include "core/text/text.h"

// Severity codes of the one message routine.
enum : int {
    kSeverityError = 1,
    // Something the user should mend, although the work goes on.
    kSeverityWarning = 2,
    kSeverityInformation = 3,
    kSeverityInternal = 4,
};

// The file and line a message is about.
struct cMessagePlace {
    Text file;
    int line = 0;  // 0: the file as a whole
};

// Where every message ends: a message box in the editor, standard error in the command line,
// a recorder in tests.
class cMessageSink {
public:
    virtual ~cMessageSink() = default;
    virtual void Show(int severity, const Text& text) = 0;
    // A message about a place in a file; shown as "FILE:LINE: TEXT" unless the sink knows
    // better.
    virtual void ShowAt(const cMessagePlace& place, int severity, const Text& text);
};

// The sink in use for the whole process (the program has one user-interface thread).
// Returns the previous sink. Without a sink, messages are dropped.
cMessageSink* SetMessageSink(cMessageSink* sink);
cMessageSink* MessageSink();
// How many messages have been shown since the program started.
size_t MessagesShown();

inline constexpr size_t kMessageLimit = 1023;
inline constexpr char16_t kAppTitle[] = u"Tessary 2.0.2";

// Formats the message in the manner of printf and shows it; the text is cut after its
// 1023rd character.
void ShowMessage(int severity, MessageFormat format, std::initializer_list<FormatArg> args = {});

// The same for a message about a place in a file.
void ShowMessageAt(const cMessagePlace& place, int severity, MessageFormat format,
                   std::initializer_list<FormatArg> args = {});
// "FILE:LINE: " (or "FILE: " without a line).
Text PlaceText(const cMessagePlace& place);

// A failed open or create of a template file: the cause code (0 when none was recorded) and
// the system's description of it.
struct cFileError {
    int cause = 0;
    std::string description;  // UTF-8, as the system gives it
};

cFileError FileErrorFromErrno(int err);
void ReportFileError(const cFileError& error, const Text& path);

// Keeps the messages shown while it lives for the caller's own report, instead of showing
// them: the texts joined by "; ".
class cMessageCollector : public cMessageSink {
public:
    cMessageCollector() : m_previous(SetMessageSink(this)) {}
    ~cMessageCollector() override { SetMessageSink(m_previous); }
    cMessageCollector(const cMessageCollector&) = delete;
    cMessageCollector& operator=(const cMessageCollector&) = delete;

    void Show(int, const Text& text) override {
        if (!m_texts.empty())
            m_texts += u"; ";
        m_texts += text;
    }
    const Text& Texts() const { return m_texts; }

private:
    cMessageSink* m_previous;  // Not owned.
    Text m_texts;
};

// Holds back the warnings shown while it lives and passes every other message on: a read
// that goes on over faults tells them once, together, rather than in a box each.
class cHeldWarnings : public cMessageSink {
public:
    cHeldWarnings() : m_previous(SetMessageSink(this)) {}
    ~cHeldWarnings() override { SetMessageSink(m_previous); }
    cHeldWarnings(const cHeldWarnings&) = delete;
    cHeldWarnings& operator=(const cHeldWarnings&) = delete;

    void Show(int severity, const Text& text) override;
    void ShowAt(const cMessagePlace& place, int severity, const Text& text) override;
    // Each as shown: "FILE:LINE: warning: TEXT".
    const std::vector<Text>& Warnings() const { return m_warnings; }

private:
    cMessageSink* m_previous;  // Not owned.
    std::vector<Text> m_warnings;
};
