#pragma once

#include <vector>

#include "core/check/lint.h"

class CPelwinDoc;
class cAdmxSet;

// What a cloud device-management (MDM) service's ADMX import, and the operating system's
// ingestion of what it imports, accept beside what the policy editor accepts: lint's MDM
// profile, run over the ADMX files of one upload.

// Whether the ingestion refuses to write within key: under System, Software\Microsoft or
// Software\Policies\Microsoft, outside the few keys of those it leaves open. Case is ignored.
bool MdmBlocksKey(TextView key);

// The set a document was read from; null for a template of another format.
const cAdmxSet* AdmxSetOfDocument(const CPelwinDoc& doc);

// One file of an upload: as named, and the set read from it (null: not an ADMX file, which
// the profile passes over).
struct cMdmFile {
    Text path;
    const cAdmxSet* set = nullptr;
};

// The profile's own findings for each file, in the files' order; a finding in the file's
// ADMX has no file, one in an ADML names it. The other files of the upload decide which
// namespaces are already there.
std::vector<std::vector<cFinding>> CheckMdmUpload(const std::vector<cMdmFile>& files);

// A file's lint findings as the profile reports them: an unused namespace is an error
// (the import fails on it), and the profile's findings stand among them by line.
void ApplyMdmProfile(std::vector<cFinding>& findings, std::vector<cFinding> profile);

// An order in which the files can be imported: each after the files that target the
// namespaces its references use. Where there is none, why: a namespace no file targets, or
// files that need each other.
struct cImportFault {
    size_t file = 0;  // index into the files
    int line = 0;
    Text text;
};
struct cImportOrder {
    std::vector<size_t> order;  // indices into the files; empty when there are faults
    std::vector<cImportFault> faults;
};
cImportOrder MdmImportOrder(const std::vector<cMdmFile>& files);
