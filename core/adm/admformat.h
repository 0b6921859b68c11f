#pragma once

#include "core/model/templateformat.h"

// The ADM format: a template of classes, categories, policies and parts in UTF-16 or 8-bit
// text, its strings in a [strings] section.
class cAdmFormat : public cTemplateFormat {
public:
    // Every file is an ADM template as far as this format goes: it is the one tried last.
    bool Recognizes(std::string_view bytes) const override;
    cReadOutcome Read(const Text& path, cFileBytes& file, cTemplateContent& content,
                      cReadLog* log) const override;
    Text ResolveText(const cStringMap& strings, TextView text) const override;
    bool CheckWritable(const cTemplateContent& content, Text& message) const override;
    bool Write(const cTemplateContent& content, const Text& path,
               std::vector<cFileOutput>& files) const override;
};

// Further files an ADM template is saved with: the same template in other languages, each a
// file of its own. Kept in the document's format state by the layer that adds them; a save
// writes them after the template's own file, a failure in any of them failing the save.
class cAdmCompanionFiles : public cFormatState {
public:
    // Whether every file a save would write can be written and read back; message says
    // which and what to change when not.
    virtual bool CheckWritable(const cTemplateContent& content, Text& message) const = 0;
    // Appends the files that need writing, content being the template saved with them.
    virtual bool Write(const cTemplateContent& content, std::vector<cFileOutput>& files) const = 0;
};
