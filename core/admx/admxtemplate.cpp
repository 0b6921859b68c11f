#include "core/admx/admxtemplate.h"

#include "core/admx/admxset.h"

cAdmxTemplateProps TemplatePropsOf(const cAdmxSet& set) {
    cAdmxTemplateProps props;
    pugi::xml_node root = set.admx.Root();
    pugi::xml_node namespaces = Child(root, "policyNamespaces");
    pugi::xml_node target = Child(namespaces, "target");
    props.target = {AttributeText(target, "prefix"), AttributeText(target, "namespace")};
    for (pugi::xml_node use = namespaces.first_child(); use; use = use.next_sibling())
        if (Is(use, "using"))
            props.usings.push_back({AttributeText(use, "prefix"), AttributeText(use, "namespace")});
    props.revision = AttributeText(root, "revision");
    props.minRequiredRevision = AttributeText(Child(root, "resources"), "minRequiredRevision");
    return props;
}

std::optional<std::pair<long, long>> ParseAdmxRevision(std::string_view text) {
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view digits, size_t most) -> std::optional<long> {
        if (digits.empty() || digits.size() > most)
            return std::nullopt;
        long value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    std::optional<long> major = number(text.substr(0, dot), 4);
    std::optional<long> minor = number(text.substr(dot + 1), 5);
    if (!major || !minor)
        return std::nullopt;
    return std::pair{*major, *minor};
}

bool SameAdmxRevision(std::string_view a, std::string_view b) {
    auto x = ParseAdmxRevision(a);
    auto y = ParseAdmxRevision(b);
    return x && y ? *x == *y : a == b;
}
