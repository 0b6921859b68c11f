#pragma once

#include <functional>
#include <span>
#include <vector>

#include "core/model/readlog.h"
#include "core/text/text.h"

// Hands out a template's tokens, line by line, front to back.
class cTokenizer {
public:
    // text: the decoded file (lines end at LF). The text must outlive the tokenizer.
    explicit cTokenizer(TextView text);

    // The next token with #IFDEF blocks removed; false at the end of the file (token is
    // then left unchanged).
    bool NextToken(Text& token);
    // As NextToken, except that a plain token (neither joined nor met inside #IFDEF ...
    // #ENDIF) from the strings section's header line on that equals none of `wanted` is
    // passed over instead of handed out: for a reader that would pass it over unrecorded.
    // With a reference log every token is handed out.
    bool NextTokenOf(Text& token, std::span<const TextView> wanted);
    // From now on every "!!" token that NextToken hands out is noted in references.
    void SetReferenceLog(std::vector<cReadLog::cReference>* references) {
        m_references = references;
    }
    // From now on, each time the tokenizer has gone on by `every` characters, release is
    // told how many characters from the start of the text lie behind it: memory that the
    // caller may let go (the text must stay readable all the same).
    void SetReleaseHook(std::function<void(size_t)> release, size_t every) {
        m_release = std::move(release);
        m_releaseEvery = every;
        m_nextRelease = every;
    }
    // The next token as it stands in the file.
    bool NextRawToken(Text& token);
    // The line (counted from 1) on which the token last handed out began; 0 before any.
    int TokenLine() const { return m_tokenLine; }
    // The line the tokenizer stands on: the last one it has read.
    int CurrentLine() const { return m_lineNumber; }
    // The line of the strings section's header once the tokenizer has come to it; 0 before.
    int StringsLine() const { return m_stringsLine; }
    // The whole-line comments (";" or "//" as the line's first characters) met before the
    // strings section and not yet taken, in file order, each from its mark on without the
    // white space around it.
    std::vector<Text> TakeComments() { return std::move(m_comments); }

private:
    // What one look at the line buffer finds.
    enum class cScan {
        End,      // the file has ended
        Token,    // a complete token: m_scanned
        Comment,  // the rest of the line was a comment; the next token is wanted
        Join,     // m_scanned is followed by a joining slash; the next token is wanted
    };

    // One pending token request of the #IFDEF layer. A comment or a joining slash asks for
    // the following token through that layer, so requests nest; they are kept here rather
    // than on the call stack, which a file of many comments or joined words would exhaust.
    struct cRequest {
        bool inBlock = false;  // inside #IFDEF ... #ENDIF
        Text last;             // the block's last token, handed out if the file ends in it
        int lastLine = 0;
        bool joined = false;  // the result is prefix + the token found
        Text prefix;
        int prefixLine = 0;  // where the joined token began
    };

    bool NextUnnoted(Text& token);
    // Hands out the token of a scan already made, as NextToken would.
    bool HandOut(cScan scan, Text& token);
    bool NextLine();
    void NoteSection();
    cScan Scan();
    // Serves the requests on m_requests (the caller pushed the first), starting with the
    // result of a scan already made.
    bool Serve(cScan scan, Text& token);

    TextView m_text;
    size_t m_pos = 0;  // start of the next unread line in m_text
    TextView m_line;   // the not yet consumed rest of the current line
    TextView m_scanned;
    int m_lineNumber = 0;  // of m_line
    int m_scanLine = 0;    // where m_scanned stands
    int m_tokenLine = 0;
    bool m_lineHasToken = false;  // a token was cut from m_line's line already
    int m_stringsLine = 0;
    std::vector<Text> m_comments;
    std::vector<cRequest> m_requests;
    std::vector<cReadLog::cReference>* m_references = nullptr;  // Not owned.
    std::function<void(size_t)> m_release;
    size_t m_releaseEvery = 0;
    size_t m_nextRelease = 0;
};
