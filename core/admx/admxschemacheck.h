#pragma once

#include <vector>

#include "core/admx/admxchecks.h"

// The structure of a set's files against the schema table (admxschema.h): what the policy
// editor's validating read refuses is an error of the rule admx-schema, an attribute the
// schema does not define a warning.
void CheckAdmxSchema(const cAdmxSet& set, std::vector<cAdmxFault>& faults);
