#include "core/model/stringmap.h"

#include <algorithm>
#include <functional>
#include <iterator>

uint32_t cStringMap::Hash(TextView name) {
    const uint64_t hash = std::hash<TextView>()(name);
    return uint32_t(hash ^ (hash >> 32));
}

size_t cStringMap::Probe(TextView name, uint32_t hash) const {
    const size_t mask = m_index.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = m_index[i];
        if (slot == 0)
            return i;
        if (uint32_t(slot >> 32) == hash && m_entries[uint32_t(slot) - 1].first == name)
            return i;
    }
}

void cStringMap::Reindex(size_t capacity) {
    // Hashes are kept in the slots; growing only moves them.
    std::vector<uint64_t> old;
    old.swap(m_index);
    m_index.assign(capacity, 0);
    const size_t mask = capacity - 1;
    if (!old.empty()) {
        for (uint64_t slot : old) {
            if (slot == 0)
                continue;
            size_t i = size_t(slot >> 32) & mask;
            while (m_index[i] != 0)
                i = (i + 1) & mask;
            m_index[i] = slot;
        }
        return;
    }
    for (size_t position = 0; position < m_entries.size(); ++position) {
        const uint32_t hash = Hash(m_entries[position].first);
        m_index[Probe(m_entries[position].first, hash)] =
            (uint64_t(hash) << 32) | uint64_t(position + 1);
    }
}

void cStringMap::Set(Text name, Text text) {
    if ((m_entries.size() + 1) * 2 > m_index.size())
        Reindex(std::max<size_t>(16, m_index.size() * 2));
    // One hash and one probe whether the name is new or not.
    const uint32_t hash = Hash(name);
    const size_t i = Probe(name, hash);
    if (m_index[i] != 0) {
        m_entries[uint32_t(m_index[i]) - 1].second = std::move(text);
        return;
    }
    m_index[i] = (uint64_t(hash) << 32) | uint64_t(m_entries.size() + 1);
    m_entries.emplace_back(std::move(name), std::move(text));
}

bool cStringMap::Remove(TextView name) {
    if (m_index.empty())
        return false;
    const size_t i = Probe(name, Hash(name));
    if (m_index[i] == 0)
        return false;
    m_commentsBefore.erase(Text(name));
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(uint32_t(m_index[i]) - 1));
    m_commentsBefore.erase(Text(name));
    // Later entries moved up: index them again (removal is a rare, interactive edit).
    const size_t capacity = m_index.size();
    m_index.clear();
    Reindex(capacity);
    return true;
}

const Text* cStringMap::Find(TextView name) const {
    if (m_index.empty())
        return nullptr;
    const uint64_t slot = m_index[Probe(name, Hash(name))];
    return slot == 0 ? nullptr : &m_entries[uint32_t(slot) - 1].second;
}

void cStringMap::Clear() {
    m_entries.clear();
    m_index.clear();
    m_commentsBefore.clear();
    m_commentsAfter.clear();
}

void cStringMap::AddCommentsBefore(TextView name, std::vector<Text> comments) {
    if (comments.empty())
        return;
    auto [it, fresh] = m_commentsBefore.try_emplace(Text(name));
    if (fresh)
        it->second = std::move(comments);
    else
        it->second.insert(it->second.end(), std::make_move_iterator(comments.begin()),
                          std::make_move_iterator(comments.end()));
}

const std::vector<Text>* cStringMap::CommentsBefore(TextView name) const {
    if (m_commentsBefore.empty())
        return nullptr;
    auto found = m_commentsBefore.find(name);
    return found == m_commentsBefore.end() ? nullptr : &found->second;
}

Text ResolveText(const cStringMap& map, TextView text) {
    if (text.size() >= 2 && text[0] == u'!' && text[1] == u'!') {
        if (const Text* display = map.Find(text.substr(2)))
            return *display;
    }
    return Text(text);
}

void MergeStrings(cStringMap& target, const cStringMap& source) {
    for (const auto& [name, text] : source.Entries())
        target.Set(name, text);
}

size_t MergeStrings(cStringMap& target, const cStringMap& source,
                    const std::function<bool(TextView name)>& take) {
    size_t copied = 0;
    for (const auto& [name, text] : source.Entries())
        if (take(name)) {
            target.Set(name, text);
            ++copied;
        }
    return copied;
}
