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
