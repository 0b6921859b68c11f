#include "core/admx/admxformat.h"

#include "core/admx/admxset.h"

#include "core/admx/admxread.h"
#include "core/admx/admxwrite.h"
#include "core/admx/xmlfile.h"
#include "core/io/files.h"
#include "core/io/paths.h"

bool cAdmxFormat::Recognizes(std::string_view bytes) const {
    return LooksLikeAdmx(bytes);
}

cReadOutcome cAdmxFormat::Read(const Text& path, cFileBytes& file, cTemplateContent& content,
                               cReadLog* log) const {
    return ReadAdmxSet(path, file.View(), content, log);
}

Text cAdmxFormat::ResolveText(const cStringMap& strings, TextView text) const {
    return ResolveAdmxText(strings, text);
}

std::vector<Text> cAdmxFormat::FilesRead(const Text& path, const cTemplateContent& content) const {
    std::vector<Text> files{path};
    if (const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
        state && state->set)
        for (const std::unique_ptr<cAdmlFile>& language : state->set->languages)
            files.push_back(language->path);
    return files;
}

bool ReadNewAdmxSet(const Text& path, const cNewAdmxSet& set, cTemplateContent& content) {
    // Escaped as within quotes, which serves an element's text as well.
    auto attribute = [](const std::string& value) { return EscapeXmlAttribute(value, '"'); };
    std::string usings;
    for (const auto& [prefix, nameSpace] : set.usings)
        usings += "    <using prefix=\"" + attribute(prefix) + "\" namespace=\"" +
                  attribute(nameSpace) + "\"/>\n";
    const std::string admx =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<policyDefinitions xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
        "schemaVersion=\"1.0\" "
        "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\">\n"
        "  <policyNamespaces>\n"
        "    <target prefix=\"" +
        attribute(set.prefix) + "\" namespace=\"" + attribute(set.nameSpace) + "\"/>\n" + usings +
        "  </policyNamespaces>\n"
        "  <resources minRequiredRevision=\"1.0\"/>\n" +
        (set.containers ? "  <categories>\n  </categories>\n  <policies>\n  </policies>\n" : "") +
        "</policyDefinitions>\n";
    const std::string adml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<policyDefinitionResources xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
        "schemaVersion=\"1.0\" "
        "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\">\n"
        "  <displayName>" +
        attribute(set.displayName) + "</displayName>\n" + "  <description>" +
        attribute(set.description) + "</description>\n" + "  <resources>\n" +
        (set.containers ? "    <stringTable>\n    </stringTable>\n"
                          "    <presentationTable>\n    </presentationTable>\n"
                        : "") +
        "  </resources>\n"
        "</policyDefinitionResources>\n";
    content.language = FromUtf8(set.language);
    return ReadAdmxSetInMemory(path, admx, {{set.language, adml}}, content, nullptr) !=
           cReadOutcome::Failed;
}

bool cAdmxFormat::New(const Text& name, cTemplateContent& content) const {
    const cAdmxNamespace named = NamespaceNamedAfter(name);
    cNewAdmxSet set;
    set.prefix = ToUtf8(named.prefix);
    const std::string id = ToUtf8(named.name.substr(0, named.name.size() - 9));  // ".Policies"
    set.nameSpace = id + ".Policies";
    set.displayName = set.description = id;
    if (!ReadNewAdmxSet(name + u".admx", set, content))
        return false;
    if (auto* state = dynamic_cast<cAdmxState*>(content.state.get()))
        state->namedByFirstSave = true;
    return true;
}

void cAdmxFormat::NameAfterFile(cTemplateContent& content, const Text& path) const {
    if (auto* state = dynamic_cast<cAdmxState*>(content.state.get()))
        state->NameAfterFile(FromUtf8(Utf8FromPath(PathFromUtf8(ToUtf8(path)).stem())));
}

Text cAdmxFormat::DisplayLanguage(const cTemplateContent& content) const {
    const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
    return state && state->set && !state->set->languages.empty() ? state->set->Display().folder
                                                                 : Text();
}

bool cAdmxFormat::CheckWritable(const cTemplateContent& content, Text& message) const {
    std::vector<cFileOutput> files;
    return WriteAdmxSet(content, Text(), files, &message);
}

bool cAdmxFormat::Write(const cTemplateContent& content, const Text& path,
                        std::vector<cFileOutput>& files) const {
    return WriteAdmxSet(content, path, files, nullptr);
}
