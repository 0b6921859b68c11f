#include "core/translate/structure.h"

#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/adm/templatewriter.h"
#include "core/model/languagetable.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

namespace {

// A node's own lines as the writer gives them (a policy with its parts and items), without
// comments and indentation; a class, category or version condition without its children.
std::vector<Text> OwnLines(const cTemplateTree& tree, const cTreeItem* item) {
    std::vector<Text> lines;
    const cData* node = item->node.get();
    switch (node->kind) {
        case kKindClass:
            lines.push_back(u"CLASS " + static_cast<const cPolClass*>(node)->className);
            return lines;
        case kKindVersion: {
            auto* version = static_cast<const cPolVersion*>(node);
            lines.push_back(u"#if version " + version->op + u" " + version->number);
            return lines;
        }
        case kKindCategory: {
            auto* category = static_cast<const cCategory*>(node);
            lines.push_back(u"CATEGORY " + category->name);
            if (category->useDefaultKey == 0)
                lines.push_back(u"KEYNAME " + category->keyName);
            if (category->explainFlag == 1)
                lines.push_back(u"EXPLAIN " + category->explainText);
            return lines;
        }
        case kKindPolicy:
            break;
        default:
            return lines;
    }
    Text text;
    SavePolicy(tree, item, 0, text);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(u'\n', pos);
        if (end == Text::npos)
            end = text.size();
        TextView line = TrimBlanks(TextView(text).substr(pos, end - pos));
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        const bool comment = !line.empty() && (line[0] == u';' || line.substr(0, 2) == u"//");
        if (!line.empty() && !comment)
            lines.emplace_back(line);
        pos = end + 1;
    }
    return lines;
}

Text KindName(int kind) {
    switch (kind) {
        case kKindClass:
            return u"class";
        case kKindCategory:
            return u"category";
        case kKindVersion:
            return u"version condition";
        case kKindPolicy:
            return u"policy";
    }
    return u"node";
}

Text NameOf(const cData& node) {
    switch (node.kind) {
        case kKindClass:
            return static_cast<const cPolClass&>(node).className;
        case kKindCategory:
            return static_cast<const cCategory&>(node).name;
        case kKindVersion: {
            auto& version = static_cast<const cPolVersion&>(node);
            return version.op + u" " + version.number;
        }
        case kKindPolicy:
            return static_cast<const cPolicy&>(node).name;
    }
    return Text();
}

// What pairs a node with its counterpart among the other template's siblings.
Text KeyOf(const cData& node) {
    return Text(1, char16_t(u'0' + node.kind)) + u' ' + NameOf(node);
}

Text Describe(const cData& node) {
    return KindName(node.kind) + u" " + NameOf(node);
}

bool StartsPart(TextView line) {
    return line.substr(0, 5) == u"PART ";
}

// Compares two policies' lines; on a difference says which part (or the policy itself).
bool SamePolicy(const cTreeItem* item, const cTreeItem* otherItem, const std::vector<Text>& lines,
                const std::vector<Text>& otherLines, cStructureDifference& difference) {
    size_t at = 0;
    while (at < lines.size() && at < otherLines.size() && lines[at] == otherLines[at])
        ++at;
    if (at == lines.size() && at == otherLines.size())
        return true;
    // The part whose block the first differing line stands in, counted on the side that
    // has one there.
    auto partAt = [at](const std::vector<Text>& side) -> long {
        long part = -1;
        bool inPart = false;
        for (size_t i = 0; i < side.size() && i <= at; ++i) {
            if (StartsPart(side[i])) {
                ++part;
                inPart = true;
            } else if (side[i].substr(0, 8) == u"END PART") {
                inPart = i == at;
            }
        }
        return inPart ? part : -1;
    };
    const auto* policy = static_cast<const cObjPolicy*>(item->node.get());
    const auto* other = static_cast<const cObjPolicy*>(otherItem->node.get());
    long part = partAt(lines);
    if (part < 0)
        part = partAt(otherLines);
    difference.what = Describe(*policy);
    difference.sourceLine = policy->line;
    difference.line = other->line;
    if (part >= 0) {
        const size_t index = size_t(part);
        const cObjPolPart* mine =
            index < policy->Parts().size() ? policy->Parts()[index].get() : nullptr;
        const cObjPolPart* theirs =
            index < other->Parts().size() ? other->Parts()[index].get() : nullptr;
        if (mine)
            difference.sourceLine = mine->line;
        if (theirs)
            difference.line = theirs->line;
        difference.what += u": part " + (mine ? mine->name : theirs ? theirs->name : Text());
        if (!mine)
            difference.what += u" is not in the template";
        else if (!theirs)
            difference.what += u" is missing";
        else
            difference.what += u" differs";
    } else {
        difference.what += u" differs";
    }
    const Text& shown = at < lines.size() ? lines[at] : otherLines[at];
    difference.what += u" (" + shown + u")";
    return false;
}

}  // namespace

bool SameStructure(const cTemplateTree& tree, const cTemplateTree& other,
                   cStructureDifference& difference) {
    difference = {};
    std::vector<std::pair<const cTreeItem*, const cTreeItem*>> open{{tree.Root(), other.Root()}};
    while (!open.empty()) {
        auto [parent, otherParent] = open.back();
        open.pop_back();
        // The other's children by key, duplicates in their order.
        std::unordered_map<Text, std::deque<const cTreeItem*>, cTextHash, std::equal_to<>> waiting;
        for (const auto& child : otherParent->children)
            if (child->node)
                waiting[KeyOf(*child->node)].push_back(child.get());
        std::vector<std::pair<const cTreeItem*, const cTreeItem*>> pairs;
        for (const auto& child : parent->children) {
            if (!child->node)
                continue;
            auto found = waiting.find(KeyOf(*child->node));
            if (found == waiting.end() || found->second.empty()) {
                difference.sourceLine = child->node->line;
                difference.what = Describe(*child->node) + u" is missing";
                return false;
            }
            pairs.emplace_back(child.get(), found->second.front());
            found->second.pop_front();
        }
        for (const auto& child : otherParent->children) {
            if (!child->node)
                continue;
            auto found = waiting.find(KeyOf(*child->node));
            if (found != waiting.end() && !found->second.empty() &&
                found->second.front() == child.get()) {
                difference.line = child->node->line;
                difference.what = Describe(*child->node) + u" is not in the template";
                return false;
            }
        }
        for (const auto& [mine, theirs] : pairs) {
            std::vector<Text> lines = OwnLines(tree, mine);
            std::vector<Text> otherLines = OwnLines(other, theirs);
            if (mine->node->kind == kKindPolicy) {
                if (!SamePolicy(mine, theirs, lines, otherLines, difference))
                    return false;
            } else if (lines != otherLines) {
                difference.sourceLine = mine->node->line;
                difference.line = theirs->node->line;
                difference.what = Describe(*mine->node) + u" differs";
                return false;
            }
        }
        // Depth first, in the template's order.
        for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair)
            if (!pair->first->children.empty() || !pair->second->children.empty())
                open.push_back(*pair);
    }
    return true;
}
