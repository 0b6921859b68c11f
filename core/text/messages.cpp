#include "core/text/messages.h"

#include <cstring>

namespace {
cMessageSink* g_sink = nullptr;
size_t g_shown = 0;
}  // namespace

cMessageSink* SetMessageSink(cMessageSink* sink) {
    cMessageSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

cMessageSink* MessageSink() {
    return g_sink;
}

size_t MessagesShown() {
    return g_shown;
}

void ShowMessage(int severity, MessageFormat format, std::initializer_list<FormatArg> args) {
    Text text = FormatText(format.text(), args);
    if (text.size() > kMessageLimit)
        text.resize(kMessageLimit);
    ++g_shown;
    if (g_sink)
        g_sink->Show(severity, text);
}

void cMessageSink::ShowAt(const cMessagePlace& place, int severity, const Text& text) {
    Show(severity, PlaceText(place) + text);
}

Text PlaceText(const cMessagePlace& place) {
    if (place.line > 0)
        return FormatText(u"%s:%d: ", {place.file, place.line});
    return place.file + u": ";
}

void ShowMessageAt(const cMessagePlace& place, int severity, MessageFormat format,
                   std::initializer_list<FormatArg> args) {
    Text text = FormatText(format.text(), args);
    if (text.size() > kMessageLimit)
        text.resize(kMessageLimit);
    ++g_shown;
    if (g_sink)
        g_sink->ShowAt(place, severity, text);
}

cFileError FileErrorFromErrno(int err) {
    cFileError error;
    error.cause = err;
    if (err != 0)
        error.description = std::strerror(err);
    return error;
}

void ReportFileError(const cFileError& error, const Text& path) {
    if (error.cause != 0) {
        Text description = FromUtf8(error.description);
        if (description.size() > 255)
            description.resize(255);
        ShowMessage(kSeverityError, u" Error \"%s\" on file %s.", {description, path});
    } else {
        ShowMessage(kSeverityInformation, u"Geen fout opgetreden bij benaderen file %s", {path});
    }
}

void cHeldWarnings::Show(int severity, const Text& text) {
    if (severity == kSeverityWarning)
        m_warnings.push_back(text);
    else if (m_previous)
        m_previous->Show(severity, text);
}

void cHeldWarnings::ShowAt(const cMessagePlace& place, int severity, const Text& text) {
    if (severity == kSeverityWarning)
        m_warnings.push_back(PlaceText(place) + text);
    else if (m_previous)
        m_previous->ShowAt(place, severity, text);
}
