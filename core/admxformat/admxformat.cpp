#include "core/admxformat/admxformat.h"

#include "core/admxformat/admxset.h"

#include "core/admxformat/admxread.h"
#include "core/admxformat/admxwrite.h"
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

bool cAdmxFormat::CheckWritable(const cTemplateContent& content, Text& message) const {
    std::vector<cFileOutput> files;
    return WriteAdmxSet(content, Text(), files, &message);
}

bool cAdmxFormat::Write(const cTemplateContent& content, const Text& path,
                        std::vector<cFileOutput>& files) const {
    return WriteAdmxSet(content, path, files, nullptr);
}
