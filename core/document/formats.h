#pragma once

#include <string_view>

#include "core/model/templateformat.h"

// The template formats the document knows, each a single object.
const cTemplateFormat& AdmFormat();
// ADMX with its ADML files: recognized by an XML declaration or a policyDefinitions root.
const cTemplateFormat& AdmxFormat();

// The format whose files look like bytes (the start of a file): decided by the content,
// never by the file's name. ADM when no other format recognizes them.
const cTemplateFormat& FormatForContent(std::string_view bytes);
