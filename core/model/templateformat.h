#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/model/readlog.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"
#include "core/text/text.h"

class cFileBytes;

// What a format keeps of a template beyond the tree and the string table, so that a save
// gives back what the file held (for an XML format: the parsed documents the nodes came
// from). Copied with the document's content; none for a format that needs nothing more.
class cFormatState {
public:
    virtual ~cFormatState() = default;
    virtual std::unique_ptr<cFormatState> Clone() const = 0;
};

// A document's template as a format reads and writes it. The references point into the
// document; `tree` is asked for only when the read has got that far, and may answer null
// (the read then fails, the reason shown).
struct cTemplateContent {
    std::function<cTemplateTree*()> tree;
    cStringMap& strings;
    // Whole-line comments after the last node that no node took along.
    std::vector<Text>& trailingComments;
    // What the read passed over without keeping it, by line: a save loses it.
    std::vector<cPassedOver>& passedOver;
    std::unique_ptr<cFormatState>& state;
    // ADM: 1 stored as UTF-16 ("UNICODE format"), 0 as 8-bit text ("ASCII format").
    int& encoding;
    // The language whose texts the string table holds, for a format that has several
    // ("en-US"); empty: the format's own choice.
    Text language;
};

// A template's parts held without a document: a set made by a conversion, a fuzzing input.
struct cHeldContent {
    cTemplateTree tree;
    cStringMap strings;
    std::vector<Text> trailingComments;
    std::vector<cPassedOver> passedOver;
    std::unique_ptr<cFormatState> state;
    int encoding = 1;

    cTemplateContent Content(Text language = Text()) {
        return {[this] { return &tree; }, strings, trailingComments, passedOver, state, encoding,
                std::move(language)};
    }
};

// One file a write produces: where it goes and its bytes.
struct cFileOutput {
    Text path;
    std::string bytes;
};

enum class cReadOutcome {
    Failed,   // every failure has been reported
    Read,     // a template, or at least a string or a comment line
    Nothing,  // read, but the file held nothing of a template (random bytes, a lone mark)
};

// One template file format: how its files are read into the model and written from it.
// Everything after a read (tree, sheet, preview, edit layer, checks) works on the model and
// never asks which format it came from.
class cTemplateFormat {
public:
    virtual ~cTemplateFormat() = default;

    // Whether bytes, the start of a file, look like this format's.
    virtual bool Recognizes(std::string_view bytes) const = 0;

    // Reads the file at path, whose bytes (not empty) are in file, into content, which is
    // empty. With a log the read notes there the lines of what it met (strings, references,
    // messages) for the checks.
    virtual cReadOutcome Read(const Text& path, cFileBytes& file, cTemplateContent& content,
                              cReadLog* log) const = 0;

    // The files a read of path took the content from (a format of several files lists them
    // all): the document watches them for changes by other programs.
    virtual std::vector<Text> FilesRead(const Text& path, const cTemplateContent& content) const {
        (void)content;
        return {path};
    }

    // The text a display text shows: a reference to the string table resolved (ADM "!!name",
    // ADMX "$(string.ID)"); any other text as it is.
    virtual Text ResolveText(const cStringMap& strings, TextView text) const = 0;

    // Fills content, which is empty, with a new template of this format named name (a file
    // name without folder or extension). False when it cannot, the reason shown.
    virtual bool New(const Text& name, cTemplateContent& content) const {
        (void)name, (void)content;
        return true;
    }

    // A new document is about to be saved as path for the first time: what the format
    // named after the window ("New1") it may name after the file instead.
    virtual void NameAfterFile(cTemplateContent& content, const Text& path) const {
        (void)content, (void)path;
    }

    // The language whose texts the content shows, for a format of several ("en-US"); empty
    // for a format of one.
    virtual Text DisplayLanguage(const cTemplateContent& content) const {
        (void)content;
        return Text();
    }

    // Whether the tree holds class nodes (MACHINE, USER) above categories, or each policy
    // holds its class itself and the tree has none.
    virtual bool HasClassNodes() const { return true; }

    // Whether the content can be written and read back the same; message says what to change
    // when not. Nothing is written.
    virtual bool CheckWritable(const cTemplateContent& content, Text& message) const = 0;

    // The files that hold the content when it is saved as path, all of them to be replaced
    // together. False when it cannot be written, every failure reported.
    virtual bool Write(const cTemplateContent& content, const Text& path,
                       std::vector<cFileOutput>& files) const = 0;
};
