#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

// A document whose own tree stands in for its view, with builders for its nodes.
class cTestDoc {
public:
    cTestDoc() {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
    }

    cTemplateTree& Tree() { return doc.Tree(); }

    cTreeItem* Class(cTreeItem* parent, Text name) {
        auto node = std::make_unique<cObjClass>();
        node->className = std::move(name);
        return Insert(parent, std::move(node));
    }
    cTreeItem* Category(cTreeItem* parent, Text name) {
        auto node = std::make_unique<cObjCategory>();
        node->name = std::move(name);
        return Insert(parent, std::move(node));
    }
    cTreeItem* Policy(cTreeItem* parent, Text name) {
        auto node = std::make_unique<cObjPolicy>();
        node->name = std::move(name);
        return Insert(parent, std::move(node));
    }
    cTreeItem* Version(cTreeItem* parent, Text op, Text number) {
        auto node = std::make_unique<cObjVersion>();
        node->op = std::move(op);
        node->number = std::move(number);
        node->RebuildLabel();
        return Insert(parent, std::move(node));
    }

    template <typename T>
    static T& Node(cTreeItem* item) {
        return *dynamic_cast<T*>(item->node.get());
    }

    // Appends a part of kind T (a part node object) to the policy of item.
    template <typename T>
    static T& AddPart(cTreeItem* policyItem, Text name) {
        auto& policy = Node<cObjPolicy>(policyItem);
        auto* part = policy.AppendPart(std::make_unique<T>(&policy));
        part->name = std::move(name);
        return *dynamic_cast<T*>(part);
    }

    CPelwinDoc doc;

private:
    cTreeItem* Insert(cTreeItem* parent, std::unique_ptr<cData> node) {
        return doc.Tree().InsertLast(parent, Text(), kImageClosedBook, std::move(node));
    }
};

// Lines joined with the template's line end, each one ended by it.
inline Text Lines(std::initializer_list<const char16_t*> lines) {
    Text text;
    for (const char16_t* line : lines) {
        text += line;
        text += u"\r\n";
    }
    return text;
}

inline cDescVal NumericValue(Text text) {
    cDescVal value;
    value.valueText = std::move(text);
    value.numeric = 1;
    return value;
}

inline cDescVal StringValue(Text text) {
    cDescVal value;
    value.valueText = std::move(text);
    return value;
}

inline cDescVal DeleteValue() {
    cDescVal value;
    value.del = 1;
    return value;
}

inline cActionValue Entry(Text name, cDescVal value) {
    cActionValue entry;
    static_cast<cDescVal&>(entry) = std::move(value);
    entry.valueName = std::move(name);
    return entry;
}
