#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/admx/admxtemplate.h"
#include "core/admx/admxwrite.h"
#include "core/edit/editstep.h"

class CPelwinDoc;

// The Template properties dialog of an ADMX set: the file's own namespace (prefix and name),
// the using list, the revision and the least revision of the language files. Loaded from the
// document's edited values, else the set's; checked as a whole; OK applies it as one step.
struct cAdmxTemplatePageValues {
    Text targetPrefix;
    Text targetNamespace;
    std::vector<cAdmxNamespace> usings;
    Text revision;
    Text minRequiredRevision;

    // None for a document that is no ADMX set.
    static std::optional<cAdmxTemplatePageValues> Load(CPelwinDoc& doc);

    // A new row at the end of the using list, its index.
    size_t AddUsing();
    void DeleteUsing(size_t row);

    // Prefixes well formed and each once (the target's among them), namespaces given and each
    // once, the revisions of the form "1.0" where changed, and what they imply: a prefix
    // still used by a reference of the file stays in the using list, and every language file
    // keeps a revision that satisfies the minimum.
    std::optional<Text> Validate() const;

    // The values as they would be kept: blanks around prefixes and names dropped.
    cAdmxTemplateProps Props() const;
    bool Changed() const { return Props() != m_loaded; }

private:
    cAdmxTemplateProps m_loaded;
    // As read: what the set's language files follow.
    Text m_readRevision;
    Text m_readTarget;
    std::vector<std::pair<Text, Text>> m_languageRevisions;  // folder, revision as read
    std::map<std::string, cPrefixUses> m_uses;
};

// Swaps the document's edited namespaces and revisions: "Edit template properties".
class cTemplatePropsStep : public cEditStep {
public:
    cTemplatePropsStep(std::optional<cAdmxTemplateProps> before,
                       std::optional<cAdmxTemplateProps> after)
        : cEditStep(Text(u"Edit template properties")),
          m_before(std::move(before)),
          m_after(std::move(after)) {}

    // Null when doc is no ADMX set.
    static std::unique_ptr<cTemplatePropsStep> Make(CPelwinDoc& doc, cAdmxTemplateProps props);

    bool Apply(CPelwinDoc& doc) override { return Put(doc, m_after); }
    bool Revert(CPelwinDoc& doc) override { return Put(doc, m_before); }

private:
    static bool Put(CPelwinDoc& doc, const std::optional<cAdmxTemplateProps>& props);

    std::optional<cAdmxTemplateProps> m_before;
    std::optional<cAdmxTemplateProps> m_after;
};
