#pragma once

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/admx/xmlfile.h"

// A save of an XML file as small edits on the bytes it was read from: the file a maintainer
// reviews as a text diff changes only where the document did, whatever form it wrote the rest
// in (blanks inside tags, attributes over several lines, "<x />", "<x></x>", references, line
// ends, encodings).

// One change to a file's bytes: `length` bytes at `offset` become `bytes`.
struct cByteEdit {
    size_t offset = 0;
    size_t length = 0;
    std::string bytes;

    bool operator==(const cByteEdit&) const = default;
};

// The node of a file's document as read that a node of a changed copy was copied from; none
// for a node made since.
using cOriginalOf = std::function<pugi::xml_node(pugi::xml_node)>;

enum class cEditPlan {
    Planned,     // edits holds what turns the bytes read into those of the changed document
    NotInPlace,  // the bytes read are not at hand: the document is to be written whole
    Refused,     // a character the file's encoding cannot store; problem says which
};

// The edits, in the order of their offsets, that make the bytes read of `read` hold `changed`:
// an attribute's value replaced between its quotes, an attribute removed with the blanks
// before it, one added after the last (spaced as that one is, in its quotes), a node gone
// with the blanks the copy lost before it, new nodes written where the copy has them in the
// file's style, a changed text replaced where it stood. Nodes the copy holds as they were
// keep their bytes; one moved keeps them too.
cEditPlan PlanXmlEdits(const cXmlFile& read, const pugi::xml_document& changed,
                       const cOriginalOf& originalOf, std::vector<cByteEdit>& edits, Text& problem);

// Bytes with edits (in the order of their offsets, none overlapping) applied from the last.
std::string ApplyByteEdits(std::string bytes, const std::vector<cByteEdit>& edits);
