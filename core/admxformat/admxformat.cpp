#include "core/admxformat/admxformat.h"

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

bool cAdmxFormat::CheckWritable(const cTemplateContent& content, Text& message) const {
    std::vector<cFileOutput> files;
    return WriteAdmxSet(content, Text(), files, &message);
}

bool cAdmxFormat::Write(const cTemplateContent& content, const Text& path,
                        std::vector<cFileOutput>& files) const {
    return WriteAdmxSet(content, path, files, nullptr);
}
