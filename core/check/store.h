#pragma once

#include <string>
#include <vector>

#include "core/check/lint.h"

// Checks a policy store: a folder of ADMX files with a folder of ADML files for each language
// ("en-US"), as the operating system's central store holds them. Every set is read once and
// linted on its own, then the relations between the files are checked as the policy editor
// resolves them, through the namespaces the files target and use: namespaces targeted twice
// or used but targeted by no file, prefixed references to nothing, language folders without
// a set's ADML, registry values written by policies of two files.
//
// joining: an ADMX file checked against the store it will join (it stands in for the file
// of the same name there); only its own findings are returned. Empty: the whole store.
// Every finding names its file. False, with the reason in problem, when dir is no folder or
// holds no ADMX file.
bool LintStore(const std::string& dir, const std::string& joining, std::vector<cFinding>& findings,
               Text& problem);
