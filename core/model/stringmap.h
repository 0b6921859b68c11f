#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/text/text.h"

// A template's string table: name (without the leading "!!") to display text. Names compare
// with case distinguished. The table remembers the order in which names first appeared, so
// that writing an unchanged template does not reorder its strings.
class cStringMap {
public:
    using Entry = std::pair<Text, Text>;

    // Stores text under name: a new name is appended, an existing one keeps its place and
    // takes the new text.
    void Set(Text name, Text text);
    bool Remove(TextView name);
    const Text* Find(TextView name) const;
    bool Contains(TextView name) const { return Find(name) != nullptr; }
    size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    void Clear();
    // In remembered order.
    const std::vector<Entry>& Entries() const { return m_entries; }

    // Whole-line comments of the strings section, each from its mark on: those that stood
    // before a string go with its name (and away with it), the rest stood after the last one.
    void AddCommentsBefore(TextView name, std::vector<Text> comments);
    const std::vector<Text>* CommentsBefore(TextView name) const;
    bool HasComments() const { return !m_commentsBefore.empty() || !m_commentsAfter.empty(); }
    std::vector<Text>& CommentsAfter() { return m_commentsAfter; }
    const std::vector<Text>& CommentsAfter() const { return m_commentsAfter; }

private:
    // The index is an open-addressed table over the entries, which alone hold the names: a
    // slot holds the name's hash in its high half and the entry's position + 1 in its low
    // half (0: free). It is at most half full, so probes stay short, and growing it needs no
    // name hashed again.
    static uint32_t Hash(TextView name);
    // The slot that holds name, or the free slot where it would go.
    size_t Probe(TextView name, uint32_t hash) const;
    void Reindex(size_t capacity);

    std::vector<Entry> m_entries;
    std::vector<uint64_t> m_index;
    // Comments are few; looked up by views as well as by texts.
    struct cCommentHash {
        using is_transparent = void;
        size_t operator()(TextView text) const { return std::hash<TextView>()(text); }
    };
    std::unordered_map<Text, std::vector<Text>, cCommentHash, std::equal_to<>> m_commentsBefore;
    std::vector<Text> m_commentsAfter;
};

// A text of at least two characters that begins with "!!" and names an entry shows that
// entry's text; every other text shows unchanged.
Text ResolveText(const cStringMap& map, TextView text);

// Copies every entry of `source` into `target`, replacing the text of names both hold; new
// names are appended in the source's order.
void MergeStrings(cStringMap& target, const cStringMap& source);
// The same for the entries whose names `take` accepts; answers how many were copied.
size_t MergeStrings(cStringMap& target, const cStringMap& source,
                    const std::function<bool(TextView name)>& take);
