#include "core/admx/admxformat.h"

#include "core/admx/admxset.h"

#include "core/admx/admxread.h"
#include "core/admx/admxwrite.h"
#include "core/io/files.h"

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

bool cAdmxFormat::New(const Text& name, cTemplateContent& content) const {
    // The prefix and namespace are made of the name's letters and digits.
    std::string id;
    for (char16_t c : name)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            id.push_back(char(c));
    if (id.empty() || (id[0] >= '0' && id[0] <= '9'))
        id = "Policies" + id;
    std::string prefix = id;
    for (char& c : prefix)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    const std::string admx =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<policyDefinitions xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
        "schemaVersion=\"1.0\" "
        "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\">\n"
        "  <policyNamespaces>\n"
        "    <target prefix=\"" +
        prefix + "\" namespace=\"" + id + ".Policies\"/>\n" +
        "  </policyNamespaces>\n"
        "  <resources minRequiredRevision=\"1.0\"/>\n"
        "  <categories>\n"
        "  </categories>\n"
        "  <policies>\n"
        "  </policies>\n"
        "</policyDefinitions>\n";
    const std::string adml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<policyDefinitionResources xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
        "schemaVersion=\"1.0\" "
        "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\">\n"
        "  <displayName>" +
        id + "</displayName>\n" + "  <description>" + id + "</description>\n" +
        "  <resources>\n"
        "    <stringTable>\n"
        "    </stringTable>\n"
        "    <presentationTable>\n"
        "    </presentationTable>\n"
        "  </resources>\n"
        "</policyDefinitionResources>\n";
    content.language = u"en-US";
    return ReadAdmxSetInMemory(name + u".admx", admx, {{"en-US", adml}}, content, nullptr) !=
           cReadOutcome::Failed;
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
