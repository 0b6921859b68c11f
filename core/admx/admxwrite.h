#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/admx/admxnamespaces.h"
#include "core/admx/xmledit.h"
#include "core/model/templateformat.h"

// Writes a set read by ReadAdmxSet: copies of its documents, each changed only where the
// model differs from what the documents hold (an attribute, a value, a list, a string, a
// control; elements for new nodes and parts, none for deleted ones), then each file saved as
// edits on the bytes it was read from (PlanXmlEdits). Files: the ADMX at path, the ADML of
// each language read at DIR/FOLDER/NAME.adml beside it (NAME from path), a new language's
// ADML written whole there. With `problem` given nothing is produced: only whether the set
// can be written, and if not why.
bool WriteAdmxSet(const cTemplateContent& content, const Text& path,
                  std::vector<cFileOutput>& files, Text* problem);

// What a save does to one file of the set.
struct cAdmxFilePlan {
    Text path;
    bool inPlace = false;          // edits on the bytes the file was read from
    std::vector<cByteEdit> edits;  // those edits, in the order of their offsets
    std::string bytes;             // what the file then holds
};

// The plan of WriteAdmxSet, file by file, without writing: false, with problem, when the set
// cannot be written. readFiles: the bytes read are taken from the files on disk where the
// documents do not keep them yet (else such files are planned whole).
bool PlanAdmxSet(const cTemplateContent& content, const Text& path,
                 std::vector<cAdmxFilePlan>& plans, Text& problem, bool readFiles = true);

// The references the ADMX file of a write of content would hold, by their prefix.
std::map<std::string, cPrefixUses> AdmxReferencePrefixes(const cTemplateContent& content);
