#pragma once

#include <cstddef>
#include <string_view>

#include "core/text/text.h"

// The encoding decision: a file that begins with FF FE is UTF-16 little-endian (1);
// anything else is 8-bit text (0).
int DecideEncoding(std::string_view bytes);

// The file's characters. UTF-16: the units after FF FE, low byte first; an odd last byte
// is dropped. 8-bit: each byte is the character of the same number, a CR LF pair reads as
// LF (text mode) and a byte 0x1A ends the text.
Text DecodeTemplate(std::string_view bytes, int utf16);

// The file's characters, viewed in place where the bytes already are them (UTF-16 on a
// little-endian machine), otherwise decoded into storage. The view lives as long as bytes
// and storage do.
TextView TemplateText(std::string_view bytes, int utf16, Text& storage);

// The position of the first `unit` in text at or after `from`, or TextView::npos. Looks at
// several units per step, for the long runs between line ends and section headers.
size_t FindUnit(TextView text, char16_t unit, size_t from = 0);

// How many characters a pass over a text of `size` characters goes on between two times it
// lets go of what lies behind it: a thirty-second of the text, within 16K and 1M characters,
// so that a small file keeps little of itself at once and a large one makes few calls.
size_t ReleaseStep(size_t size);
