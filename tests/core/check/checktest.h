#pragma once

#include <memory>
#include <string>

#include "core/document/document.h"
#include "tests/testsupport.h"

// A template read from text as the command line reads a file, for the check tests.
inline std::unique_ptr<CPelwinDoc> ReadTemplateText(const std::string& bytes) {
    cTempFile file(bytes);
    cMessageRecorder messages;
    auto doc = std::make_unique<CPelwinDoc>();
    doc->SetFrame(doc.get());
    doc->SetTreeView(&doc->Tree());
    EXPECT_TRUE(doc->ReadFile(file.PathText())) << bytes;
    return doc;
}

// A corpus template read as the command line reads it; null when it cannot be read.
inline std::unique_ptr<CPelwinDoc> ReadCorpusTemplate(const std::string& name) {
    auto doc = std::make_unique<CPelwinDoc>();
    doc->SetFrame(doc.get());
    doc->SetTreeView(&doc->Tree());
    cMessageRecorder messages;
    if (!doc->ReadFile(FromUtf8((CorpusDir() / name).string())))
        return nullptr;
    return doc;
}
