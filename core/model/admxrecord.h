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
    // A policy's class as written: "Machine", "User" or "Both" (the tree of a set has no class
    // nodes); empty for other nodes.
    Text policyClass;
    // The parentCategory reference into another namespace of a category or policy read at the
    // top of the tree ("Google:Cat_Google"), or the category's display text where a file
    // beside the set defines it; the tree shows it beside the node's name.
    Text foreignParent;
    // The parentCategory reference names no category (none of this file, or a prefix no
    // using declares): the node stands at the top, marked, until the user places it.
    bool missingParent = false;
    // A policy's supportedOn reference as written ("windows:SUPPORTED_Windows10").
    Text supportedOn;
    // A text or number element's `soft`: the value is written only where the registry holds
    // none yet.
    bool soft = false;

    bool operator==(const cAdmxRecord&) const = default;
};
