#pragma once

#include <string>
#include <vector>

#include "core/text/text.h"

class cStringMap;
class cTemplateTree;
struct cTreeItem;

// Writes the tree and the string table in the fixed template layout into out (replacing
// what it held), with trailingComments (comments that followed the last node) after the
// nodes. Returns true when every node was written. An empty tree without strings or
// comments writes nothing at all.
bool SaveTemplate(const cTemplateTree& tree, const cStringMap& strings, Text& out,
                  const std::vector<Text>* trailingComments = nullptr);

// Each appends one node of its kind with everything below it, at the given level, as
// SaveTemplate writes it. Given a node of another kind, each shows an internal error,
// writes nothing and returns false.
bool SaveVersion(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out);
bool SavePolClass(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out);
bool SaveCategory(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out);
bool SavePolicy(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out);

// Checks that every text of the tree and the string table can be written in the given format
// and read back the same. On failure, message holds a text for the user naming the node and
// what to change.
bool CheckWritable(const cTemplateTree& tree, const cStringMap& strings, int utf16, Text& message,
                   const std::vector<Text>* trailingComments = nullptr);

// The bytes of a file in the given format: FF FE and UTF-16LE units, or one byte per
// character. The text must fit the format (CheckWritable).
std::string EncodeTemplate(const Text& text, int utf16);
