#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/model/records.h"
#include "core/text/text.h"

// Rules shared by the export and its re-read check.

// The text in UTF-8 with the characters XML 1.0 cannot carry left out; `dropped` tells
// whether there were any.
std::string XmlText(TextView text, bool* dropped = nullptr);
// The same for a display text (a "!!name" reference already resolved): the template's "\n"
// escapes become line breaks.
std::string ShownXmlText(TextView resolved, bool* dropped = nullptr);
void AppendXmlText(std::string& out, TextView text);
// The same texts as UTF-16.
Text XmlTextOf(TextView text, bool* dropped = nullptr);
Text ShownXmlTextOf(TextView resolved, bool* dropped = nullptr);

// A registry DWORD from a NUMERIC value: decimal digits with an optional sign, negative
// values as their 32-bit two's complement. False for anything else.
bool ParseDword(TextView text, uint32_t& out);
// Decimal digits only, within 32 bits.
bool ParseUnsigned(TextView text, uint32_t& out);

// Ids made of ASCII letters, digits and underscores that do not begin with a digit; every
// other character becomes an underscore.
std::string MakeId(TextView text, const char* fallback);

// Hands out ids that are unique within one set: a taken id gets "_2", "_3", ….
class cIdSet {
public:
    std::string Unique(const std::string& base);
    bool Contains(const std::string& id) const { return m_used.count(id) != 0; }

private:
    std::unordered_set<std::string> m_used;
};
