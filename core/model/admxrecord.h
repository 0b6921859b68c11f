#pragma once

#include <memory>

#include "core/text/text.h"

// Where a node or part came from in a format that keeps the documents of its files (ADMX):
// opaque here, known only to that format. Shared: the copies of a node point at one place.
class cFormatOrigin {
public:
    virtual ~cFormatOrigin() = default;
};

// What a node or part read from an ADMX file carries beyond the model's fields. It is data
// of the node: a clone, a paste and an undo take it along, so that the node is written with
// it wherever it goes.
struct cAdmxRecord {
    // The element the node was read from, together with the documents of its set, which hold
    // everything else the model has no field for (annotations, seeAlso, keywords, attributes
    // and elements of their own, comments, order); none for a node made in the editor.
    std::shared_ptr<const cFormatOrigin> origin;
    // A category's or policy's name, an element's id.
    Text name;
    // A policy of class Both: it stands under MACHINE and applies to both classes.
    int classBoth = 0;
    // A policy's class as its page set it ("Machine", "User" or "Both"); empty: the class it
    // stands under (Both by classBoth).
    Text policyClass;
    // A policy's supportedOn reference as written ("windows:SUPPORTED_Windows10").
    Text supportedOn;

    bool operator==(const cAdmxRecord&) const = default;
};
