#include "core/admx/admxread.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <unordered_set>

#include "core/admx/admxchecks.h"
#include "core/admx/admxset.h"
#include "core/io/files.h"
#include "core/text/messages.h"

namespace {

namespace fs = std::filesystem;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A language's ADML beside the ADMX: DIR/FOLDER/NAME.adml, the file's name in any case when
// it is not there as written.
struct cFoundAdml {
    std::string folder;
    std::string path;
    const std::string_view* bytes = nullptr;  // held in memory; none: read from path
};

std::vector<cFoundAdml> FindAdmls(const std::string& admxPath) {
    fs::path admx(admxPath);
    fs::path dir = admx.parent_path();
    if (dir.empty())
        dir = ".";
    const std::string wanted = admx.stem().string() + ".adml";
    std::vector<cFoundAdml> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        const std::string folder = it->path().filename().string();
        if (!IsLanguageFolder(folder) || !it->is_directory(kind))
            continue;
        // Named as the ADMX was: beside a bare name, the folder without "./".
        const fs::path named = admx.parent_path() / folder;
        if (fs::is_regular_file(it->path() / wanted, kind)) {
            found.push_back({folder, (named / wanted).string()});
            continue;
        }
        std::error_code inner;
        for (fs::directory_iterator file(it->path(), inner), none; !inner && file != none;
             file.increment(inner)) {
            if (SameIgnoringCase(file->path().filename().string(), wanted)) {
                found.push_back({folder, (named / file->path().filename()).string()});
                break;
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const cFoundAdml& a, const cFoundAdml& b) {
        return LessIgnoringCase(a.folder, b.folder);
    });
    return found;
}

template <typename F>
void ForEachChild(pugi::xml_node node, std::string_view local, F&& visit) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (Is(child, local))
            visit(child);
}

class cAdmxReader {
public:
    cAdmxReader(const Text& path, cTemplateContent& content, cReadLog* log)
        : m_content(content), m_log(log), m_set(std::make_shared<cAdmxSet>()) {
        m_set->path = path;
    }

    // given: the ADML files in memory; none: those beside the ADMX file on disk.
    cReadOutcome Run(std::string_view bytes, const std::vector<cFoundAdml>* given) {
        if (!LoadAdmx(bytes) || !LoadAdmls(given ? *given : FindAdmls(ToUtf8(m_set->path))))
            return cReadOutcome::Failed;
        Index();
        // The texts of neighbours are for the eyes: lint and a set in memory go without.
        if (!m_log && !given)
            ReadNeighbours();
        CheckReferences();
        const size_t references = m_faults.size();
        if (m_log)
            CheckAdmxSet(*m_set, m_faults);
        if (!ReportFaults(references))
            return cReadOutcome::Failed;
        m_content.strings = AdmlStrings(m_set->Display());
        cTemplateTree* tree = m_content.tree();
        if (!tree)
            return cReadOutcome::Failed;
        if (!BuildTree(*tree))
            return cReadOutcome::Failed;
        // A UTF-16 template when the set is converted to ADM.
        m_content.encoding = 1;
        auto state = std::make_unique<cAdmxState>();
        state->set = std::move(m_set);
        m_content.state = std::move(state);
        return cReadOutcome::Read;
    }

private:
    static std::vector<pugi::xml_node> Strings(const cAdmlFile& adml) {
        std::vector<pugi::xml_node> out;
        pugi::xml_node table = Child(Child(adml.xml.Root(), "resources"), "stringTable");
        ForEachChild(table, "string", [&](pugi::xml_node s) { out.push_back(s); });
        return out;
    }

    // A fault that ends the read at once: shown, and noted for lint.
    bool Fail(const Text& file, int line, const char* rule, Text text) {
        if (m_log)
            m_log->findings.push_back({Noted(file), line, true, rule, text});
        ShowMessageAt({file, line}, kSeverityError, u"%s", {text});
        return false;
    }

    // The file a finding names: none for the ADMX file that was read.
    Text Noted(const Text& file) const { return file == m_set->path ? Text() : file; }

    // A reference to nothing: the set opens all the same, the reference kept as written and
    // shown as it stands, so that the user can mend it; the read warns of it. Only what
    // leaves no model to show (fatal) ends the read.
    void Fault(const Text& file, int line, const char* rule, Text text, bool fatal = false) {
        m_faults.push_back({&file, line, rule, true, std::move(text), fatal});
    }

    bool LoadXml(const Text& path, std::string_view bytes, cXmlFile& xml) {
        cXmlProblem problem;
        if (xml.Load(bytes, problem))
            return true;
        return Fail(path, problem.line, "xml", problem.text);
    }

    bool LoadAdmx(std::string_view bytes) {
        if (!LoadXml(m_set->path, bytes, m_set->admx))
            return false;
        pugi::xml_node root = m_set->admx.Root();
        if (Is(root, "policyDefinitionResources"))
            return Fail(m_set->path, m_set->admx.LineOf(root), "xml",
                        u"this is an ADML file (policyDefinitionResources): read the ADMX file "
                        u"beside its language folders instead");
        if (!Is(root, "policyDefinitions"))
            return Fail(m_set->path, m_set->admx.LineOf(root), "xml",
                        u"the root element is " + FromUtf8(root.name()) +
                            u", not policyDefinitions: this is no ADMX file");
        return true;
    }

    bool LoadAdmls(const std::vector<cFoundAdml>& found) {
        cAdmxSet& set = *m_set;
        pugi::xml_node resources = Child(set.admx.Root(), "resources");
        if (found.empty()) {
            fs::path admx(ToUtf8(set.path));
            Fault(set.path, resources ? set.admx.LineOf(resources) : 1, "xml",
                  u"no ADML file belongs to this ADMX file: no language folder beside it "
                  u"(such as en-US) holds " +
                      FromUtf8(admx.stem().string()) + u".adml");
            return MakeEmptyLanguage();
        }
        for (const cFoundAdml& adml : found) {
            auto file = std::make_unique<cAdmlFile>();
            file->folder = FromUtf8(adml.folder);
            file->path = FromUtf8(adml.path);
            cFileBytes bytes;
            cFileError error;
            if (!adml.bytes && !bytes.Load(adml.path, error)) {
                ReportFileError(error, file->path);
                return false;
            }
            if (!LoadXml(file->path, adml.bytes ? *adml.bytes : bytes.View(), file->xml))
                return false;
            pugi::xml_node root = file->xml.Root();
            if (!Is(root, "policyDefinitionResources"))
                return Fail(file->path, file->xml.LineOf(root), "xml",
                            u"the root element is " + FromUtf8(root.name()) +
                                u", not policyDefinitionResources: this is no ADML file");
            set.languages.push_back(std::move(file));
        }
        // The display language: the one asked for, else en-US, else the fallback culture,
        // else the first.
        auto index = [&](std::string_view language) -> size_t {
            for (size_t i = 0; i < set.languages.size(); ++i)
                if (SameIgnoringCase(ToUtf8(set.languages[i]->folder), language))
                    return i;
            return set.languages.size();
        };
        const std::string asked = ToUtf8(m_content.language);
        if (!asked.empty()) {
            set.display = index(asked);
            if (set.display == set.languages.size())
                return Fail(set.path, 0, "xml",
                            u"no ADML file of the language " + m_content.language +
                                u" belongs to this ADMX file");
            return true;
        }
        set.display = index("en-US");
        if (set.display == set.languages.size())
            set.display = index(resources.attribute("fallbackCulture").value());
        if (set.display == set.languages.size())
            set.display = 0;
        return true;
    }

    // The set opens without ADML all the same, every text shown as its reference: an empty
    // ADML of the display language stands in, and a save writes it with the strings the user
    // added.
    bool MakeEmptyLanguage() {
        static constexpr std::string_view kEmpty =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<policyDefinitionResources revision=\"1.0\" schemaVersion=\"1.0\">\r\n"
            "  <displayName></displayName>\r\n"
            "  <description></description>\r\n"
            "  <resources>\r\n"
            "    <stringTable>\r\n"
            "    </stringTable>\r\n"
            "  </resources>\r\n"
            "</policyDefinitionResources>\r\n";
        const fs::path admx(ToUtf8(m_set->path));
        const std::string folder =
            m_content.language.empty() ? std::string("en-US") : ToUtf8(m_content.language);
        auto file = std::make_unique<cAdmlFile>();
        file->folder = FromUtf8(folder);
        file->path =
            FromUtf8((admx.parent_path() / folder / (admx.stem().string() + ".adml")).string());
        cXmlProblem problem;
        if (!file->xml.Load(kEmpty, problem))
            return false;
        m_set->languages.push_back(std::move(file));
        m_set->display = 0;
        m_noAdml = true;
        return true;
    }

    void Index() {
        cAdmxSet& set = *m_set;
        pugi::xml_node root = set.admx.Root();
        pugi::xml_node namespaces = Child(root, "policyNamespaces");
        set.targetPrefix = Child(namespaces, "target").attribute("prefix").value();
        ForEachChild(namespaces, "using", [&](pugi::xml_node use) {
            set.usingPrefixes.emplace(use.attribute("prefix").value(),
                                      use.attribute("namespace").value());
        });
        ForEachChild(Child(root, "categories"), "category", [&](pugi::xml_node category) {
            set.categories.emplace(category.attribute("name").value(), category);
        });
        pugi::xml_node supported = Child(root, "supportedOn");
        ForEachChild(Child(supported, "definitions"), "definition", [&](pugi::xml_node d) {
            set.supportedOn.emplace(d.attribute("name").value(), d);
        });
        ForEachElement(Child(supported, "products"), [&](pugi::xml_node product) {
            if (product.attribute("name"))
                set.supportedOn.emplace(product.attribute("name").value(), product);
        });
        pugi::xml_node table =
            Child(Child(set.Display().xml.Root(), "resources"), "presentationTable");
        ForEachChild(table, "presentation", [&](pugi::xml_node p) {
            set.presentations.emplace(p.attribute("id").value(), p);
        });
    }

    // The texts of what the ADMX files beside this one define in the namespaces its
    // references use. Only a file that targets a used namespace is read whole: the others
    // are known by the target in their first lines, so that a set opens about as fast from
    // a store of hundreds of files as on its own.
    void ReadNeighbours() {
        cAdmxSet& set = *m_set;
        // Each used namespace with the prefixes that name it.
        std::unordered_map<std::string, std::vector<std::string>> used;
        ForEachElement(set.admx.Root(), [&](pugi::xml_node element) {
            if (!RefersByName(element))
                return;
            std::string_view reference = element.attribute("ref").value();
            std::string name;
            if (set.Resolve(reference, name) != cAdmxSet::cPlace::Elsewhere)
                return;
            const std::string prefix(reference.substr(0, reference.find(':')));
            std::vector<std::string>& prefixes = used[set.usingPrefixes.at(prefix)];
            if (std::find(prefixes.begin(), prefixes.end(), prefix) == prefixes.end())
                prefixes.push_back(prefix);
        });
        if (used.empty())
            return;
        const fs::path own = fs::path(ToUtf8(set.path));
        fs::path dir = own.parent_path();
        if (dir.empty())
            dir = ".";
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (SameIgnoringCase(it->path().extension().string(), ".admx") &&
                !SameIgnoringCase(it->path().filename().string(), own.filename().string()) &&
                it->is_regular_file(kind))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            auto found = used.find(TargetNamespace(file));
            if (found == used.end())
                continue;
            ReadNeighbour(file, found->second);
            // The first file that targets a namespace is the one the policy editor takes.
            used.erase(found);
            if (used.empty())
                break;
        }
    }

    // The namespace a file targets, from its first lines; empty when not found there.
    static std::string TargetNamespace(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::string head(4096, '\0');
        in.read(head.data(), std::streamsize(head.size()));
        head.resize(size_t(in.gcount()));
        size_t at = head.find("target ");
        size_t close = at == std::string::npos ? at : head.find('>', at);
        size_t ns = at == std::string::npos ? at : head.find("namespace=\"", at);
        if (ns == std::string::npos || ns > close)
            return std::string();
        ns += 11;
        const size_t end = head.find('"', ns);
        return end == std::string::npos ? std::string() : head.substr(ns, end - ns);
    }

    void ReadNeighbour(const fs::path& file, const std::vector<std::string>& prefixes) {
        cAdmxSet& set = *m_set;
        cFileBytes bytes;
        cFileError error;
        cXmlFile admx;
        cXmlProblem problem;
        if (!bytes.Load(file.string(), error) || !admx.Load(bytes.View(), problem))
            return;
        // Its texts in the display language, else in the first language it has.
        cStringMap strings;
        const std::vector<cFoundAdml> admls = FindAdmls(file.string());
        const cFoundAdml* chosen = admls.empty() ? nullptr : &admls[0];
        for (const cFoundAdml& adml : admls)
            if (SameIgnoringCase(adml.folder, ToUtf8(set.Display().folder)))
                chosen = &adml;
        if (chosen) {
            cFileBytes admlBytes;
            cAdmlFile adml;
            if (admlBytes.Load(chosen->path, error) && adml.xml.Load(admlBytes.View(), problem))
                strings = AdmlStrings(adml);
        }
        auto note = [&](std::unordered_map<std::string, Text>& into, pugi::xml_node element) {
            const std::string name = element.attribute("name").value();
            if (name.empty())
                return;
            const Text text = ResolveAdmxText(strings, AttributeText(element, "displayName"));
            for (const std::string& prefix : prefixes)
                into.emplace(prefix + ":" + name, text);
        };
        pugi::xml_node root = admx.Root();
        ForEachChild(Child(root, "categories"), "category",
                     [&](pugi::xml_node category) { note(set.neighbourCategories, category); });
        pugi::xml_node supported = Child(root, "supportedOn");
        ForEachChild(Child(supported, "definitions"), "definition",
                     [&](pugi::xml_node d) { note(set.neighbourSupportedOn, d); });
        ForEachElement(Child(supported, "products"),
                       [&](pugi::xml_node product) { note(set.neighbourSupportedOn, product); });
    }

    // Every reference of the ADMX must name something: the display language's strings and
    // presentations, categories and supportedOn definitions here or under a using prefix,
    // elements of the policy for each control.
    void CheckReferences() {
        const cAdmxSet& set = *m_set;
        const cXmlFile& admx = set.admx;
        std::unordered_set<std::string> strings;
        for (pugi::xml_node s : Strings(set.Display()))
            strings.insert(s.attribute("id").value());
        const Text& adml = set.Display().path;
        size_t stringReferences = 0;
        size_t missingStrings = 0;
        std::vector<std::pair<int, Text>> missing;
        ForEachElement(admx.Root(), [&](pugi::xml_node element) {
            for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
                std::string_view value = a.value();
                std::string_view id = StringId(value);
                if (!id.empty()) {
                    ++stringReferences;
                    if (!strings.count(std::string(id))) {
                        ++missingStrings;
                        missing.push_back({admx.LineOf(a), FromUtf8(value)});
                    }
                    continue;
                }
                id = PresentationId(value);
                if (!id.empty() && !m_noAdml && !set.presentations.count(std::string(id)))
                    Fault(set.path, admx.LineOf(a), "admx-undefined-presentation",
                          u"the presentation " + FromUtf8(value) + u" is defined in no " +
                              u"presentationTable of " + adml);
            }
            const bool parent = Is(element, "parentCategory");
            if (RefersByName(element)) {
                std::string reference = element.attribute("ref").value();
                std::string name;
                cAdmxSet::cPlace place = set.Resolve(reference, name);
                bool defined =
                    place == cAdmxSet::cPlace::Elsewhere ||
                    (place == cAdmxSet::cPlace::Here &&
                     (parent ? set.categories.count(name) : set.supportedOn.count(name)));
                if (!defined)
                    Fault(set.path, admx.LineOf(element), "admx-undefined-reference",
                          FromUtf8(element.name()) + u" refers to " + FromUtf8(reference) +
                              u", which is defined neither in this file nor under a using " +
                              u"prefix");
            }
            if (Is(element, "policy")) {
                std::string_view cls = element.attribute("class").value();
                if (cls != "Machine" && cls != "User" && cls != "Both")
                    Fault(set.path, admx.LineOf(element), "xml",
                          u"policy " + AttributeText(element, "name") + u" has the class \"" +
                              FromUtf8(cls) + u"\"; it must be Machine, User or Both",
                          true);
                pugi::xml_node presentation =
                    Presentation(element.attribute("presentation").value());
                std::vector<pugi::xml_node> unknown;
                PolicyControls(element, presentation, &unknown);
                // The control shows nothing; the read goes on (the control is kept as it is).
                for (pugi::xml_node control : unknown)
                    Fault(adml, set.Display().xml.LineOf(control), "admx-unknown-refid",
                          FromUtf8(control.name()) + u" refers to " +
                              AttributeText(control, "refId") + u", which is no element of " +
                              u"the policy " + AttributeText(element, "name"));
            }
        });
        // Without any ADML the read has said so once.
        if (m_noAdml)
            return;
        // An ADML of another file defines none of the strings; say that once.
        if (missingStrings && missingStrings == stringReferences && stringReferences > 1) {
            Fault(adml, set.Display().xml.LineOf(set.Display().xml.Root()), "admx-undefined-string",
                  u"this ADML file belongs to another ADMX file: it defines none of the " +
                      FormatText(u"%d", {long(stringReferences)}) + u" strings " + set.path +
                      u" refers to");
            return;
        }
        for (auto& [line, reference] : missing)
            Fault(set.path, line, "admx-undefined-string",
                  u"the string " + reference + u" is defined in no stringTable of " + adml);
    }

    pugi::xml_node Presentation(std::string_view reference) const {
        auto found = m_set->presentations.find(std::string(PresentationId(reference)));
        return found == m_set->presentations.end() ? pugi::xml_node() : found->second;
    }

    // The first `references` faults, those of the references, are shown, a reference to
    // nothing as a warning of the read (the first hundred, then how many more); with a log
    // every fault is noted there. False when a fault ends the read.
    bool ReportFaults(size_t references) {
        size_t shown = 0;
        size_t fatal = 0;
        for (size_t i = 0; i < m_faults.size(); ++i) {
            const cAdmxFault& fault = m_faults[i];
            if (m_log)
                m_log->findings.push_back(
                    {Noted(*fault.file), fault.line, fault.error, fault.rule, fault.text});
            if (fault.fatal)
                ++fatal;
            if (i >= references || ++shown > 100)
                continue;
            if (fault.fatal)
                ShowMessageAt({*fault.file, fault.line}, kSeverityError, u"%s", {fault.text});
            else
                ShowMessageAt({*fault.file, fault.line}, kSeverityWarning, u"warning: %s",
                              {fault.text});
        }
        if (shown > 100)
            ShowMessageAt({m_set->path, 0}, kSeverityWarning,
                          u"warning: and %d more references to nothing", {long(shown - 100)});
        return m_log || fatal == 0;
    }

    // ---- The tree ------------------------------------------------------------------------

    // No class nodes: categories nested by their parents, policies (each with its class in
    // its record) under their category after the subcategories.
    bool BuildTree(cTemplateTree& tree) {
        const cAdmxSet& set = *m_set;
        pugi::xml_node root = set.admx.Root();
        std::vector<pugi::xml_node> categories;
        ForEachChild(Child(root, "categories"), "category",
                     [&](pugi::xml_node c) { categories.push_back(c); });
        std::vector<pugi::xml_node> policies;
        ForEachChild(Child(root, "policies"), "policy",
                     [&](pugi::xml_node p) { policies.push_back(p); });

        // Each category's parent here, checked for circles.
        std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> parents;
        for (pugi::xml_node category : categories)
            if (pugi::xml_node parent = LocalParent(Child(category, "parentCategory")))
                parents[category.internal_object()] = parent;
        for (pugi::xml_node category : categories) {
            pugi::xml_node at = category;
            for (size_t steps = 0; at; ++steps) {
                auto up = parents.find(at.internal_object());
                if (up == parents.end())
                    break;
                at = up->second;
                if (steps > categories.size()) {
                    ShowMessageAt({set.path, set.admx.LineOf(category)}, kSeverityError,
                                  u"the category %s is its own parent through its "
                                  u"parentCategory references",
                                  {AttributeText(category, "name")});
                    return false;
                }
            }
        }
        auto parentOf = [&](pugi::xml_node category) {
            auto up = parents.find(category.internal_object());
            return up == parents.end() ? pugi::xml_node() : up->second;
        };

        // Each category once, under its parent category of this file; one of another file's
        // category or of none at the top. The read order of categories is kept per parent.
        std::unordered_map<pugi::xml_node_struct*, cTreeItem*> items;
        auto categoryItem = [&](pugi::xml_node category) {
            // The chain up to the first category already made, then made downwards.
            std::vector<pugi::xml_node> chain;
            cTreeItem* parent = nullptr;
            for (pugi::xml_node at = category; at; at = parentOf(at)) {
                auto found = items.find(at.internal_object());
                if (found != items.end()) {
                    parent = found->second;
                    break;
                }
                chain.push_back(at);
            }
            for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                auto node = std::make_unique<cObjCategory>();
                ReadCategoryFields(*it, *node);
                node->line = set.admx.LineOf(*it);
                cAdmxRecord& record = node->admx.emplace();
                record.origin = std::make_shared<cAdmxOrigin>(m_set, *it);
                record.name = AttributeText(*it, "name");
                if (!parent)
                    NoteTopParent(*it, record);
                Text label = Label(node->name) + AdmxLabelNote(*node, !parent);
                parent = tree.InsertLast(parent, label, kImageClosedBook, std::move(node));
                items[it->internal_object()] = parent;
            }
            return parent;
        };
        for (pugi::xml_node category : categories)
            categoryItem(category);

        for (pugi::xml_node element : policies) {
            pugi::xml_node category = LocalParent(Child(element, "parentCategory"));
            cTreeItem* parent = category ? categoryItem(category) : nullptr;
            auto node = std::make_unique<cObjPolicy>();
            ReadPolicyFields(set, element, *node);
            node->line = set.admx.LineOf(element);
            cAdmxRecord& record = node->admx.emplace();
            record.origin = std::make_shared<cAdmxOrigin>(m_set, element);
            record.name = AttributeText(element, "name");
            record.policyClass = ClassName(element);
            if (!parent)
                NoteTopParent(element, record);
            record.supportedOn = AttributeText(Child(element, "supportedOn"), "ref");
            pugi::xml_node presentation = Presentation(element.attribute("presentation").value());
            for (const cControlInfo& info : PolicyControls(element, presentation, nullptr))
                if (auto part = MakePart(m_set, info, element, node.get()))
                    node->AppendPart(std::move(part));
            Text label = Label(node->name) + AdmxLabelNote(*node, !parent);
            tree.InsertLast(parent, label, kImagePage, std::move(node));
        }
        return true;
    }

    // The parentCategory reference of an element at the top of the tree, kept for its label:
    // another file's category, or one that is defined nowhere (marked as missing).
    void NoteTopParent(pugi::xml_node element, cAdmxRecord& record) const {
        pugi::xml_node parentCategory = Child(element, "parentCategory");
        if (!parentCategory)
            return;
        std::string name;
        const cAdmxSet::cPlace place =
            m_set->Resolve(parentCategory.attribute("ref").value(), name);
        auto beside = m_set->neighbourCategories.find(parentCategory.attribute("ref").value());
        record.foreignParent = beside != m_set->neighbourCategories.end() && !beside->second.empty()
                                   ? beside->second
                                   : AttributeText(parentCategory, "ref");
        record.missingParent = place == cAdmxSet::cPlace::Nowhere ||
                               (place == cAdmxSet::cPlace::Here && !m_set->categories.count(name));
    }

    // The category of this file a parentCategory names; none for another file's.
    pugi::xml_node LocalParent(pugi::xml_node parentCategory) const {
        std::string name;
        if (!parentCategory ||
            m_set->Resolve(parentCategory.attribute("ref").value(), name) != cAdmxSet::cPlace::Here)
            return pugi::xml_node();
        auto found = m_set->categories.find(name);
        return found == m_set->categories.end() ? pugi::xml_node() : found->second;
    }

    // The class as the model holds it: Machine, User or Both (a read refuses any other).
    static Text ClassName(pugi::xml_node policy) {
        std::string_view cls = policy.attribute("class").value();
        return cls == "User" ? u"User" : cls == "Both" ? u"Both" : u"Machine";
    }

    Text Label(const Text& text) const { return ResolveAdmxText(m_content.strings, text); }

    cTemplateContent& m_content;
    cReadLog* m_log;
    std::shared_ptr<cAdmxSet> m_set;
    std::vector<cAdmxFault> m_faults;
    // The set has no ADML: an empty one stands in.
    bool m_noAdml = false;
};

bool StartsWithMarkup(std::string_view text) {
    size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string_view::npos)
        return false;
    text.remove_prefix(i);
    if (text.substr(0, 5) == "<?xml" || text.substr(0, 18) == "<policyDefinitions")
        return true;
    // A comment first: the root element must follow soon.
    return text.substr(0, 4) == "<!--" && text.find("<policyDefinitions") != std::string_view::npos;
}

}  // namespace

bool RefersByName(pugi::xml_node element) {
    return Is(element, "parentCategory") ||
           (Is(element, "supportedOn") && Is(element.parent(), "policy")) ||
           ((Is(element, "reference") || Is(element, "range")) && element.attribute("ref"));
}

bool IsLanguageFolder(std::string_view name) {
    size_t i = 0;
    while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i])))
        ++i;
    if (i < 2 || i > 3)
        return false;
    while (i < name.size()) {
        if (name[i] != '-')
            return false;
        size_t start = ++i;
        while (i < name.size() && std::isalnum(static_cast<unsigned char>(name[i])))
            ++i;
        if (i == start || i - start > 8)
            return false;
    }
    return true;
}

cReadOutcome ReadAdmxSet(const Text& path, std::string_view bytes, cTemplateContent& content,
                         cReadLog* log) {
    try {
        return cAdmxReader(path, content, log).Run(bytes, nullptr);
    } catch (const std::bad_alloc&) {
        ShowMessage(kSeverityError, u"Error reading file %s: not enough memory", {path});
        return cReadOutcome::Failed;
    }
}

cReadOutcome ReadAdmxSetInMemory(const Text& path, std::string_view bytes,
                                 const std::vector<cAdmlBytes>& languages,
                                 cTemplateContent& content, cReadLog* log) {
    const fs::path admx(ToUtf8(path));
    std::vector<cFoundAdml> found;
    for (const cAdmlBytes& adml : languages)
        found.push_back(
            {adml.folder,
             (admx.parent_path() / adml.folder / (admx.stem().string() + ".adml")).string(),
             &adml.bytes});
    try {
        return cAdmxReader(path, content, log).Run(bytes, &found);
    } catch (const std::bad_alloc&) {
        ShowMessage(kSeverityError, u"Error reading file %s: not enough memory", {path});
        return cReadOutcome::Failed;
    }
}

Text ResolveAdmxText(const cStringMap& strings, TextView text) {
    std::string_view head = "$(string.";
    if (text.size() > head.size() + 1 && text.back() == u')') {
        bool reference = true;
        for (size_t i = 0; i < head.size() && reference; ++i)
            reference = text[i] == char16_t(head[i]);
        if (reference)
            if (const Text* found =
                    strings.Find(text.substr(head.size(), text.size() - head.size() - 1)))
                return *found;
    }
    return Text(text);
}

bool LooksLikeAdmx(std::string_view bytes) {
    bytes = bytes.substr(0, 4096);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return StartsWithMarkup(bytes.substr(3));
    // UTF-16 either way round: its ASCII characters alone.
    bool little = bytes.substr(0, 2) == "\xFF\xFE" || (bytes.size() > 1 && bytes[1] == '\0');
    bool big = bytes.substr(0, 2) == "\xFE\xFF" || (bytes.size() > 1 && bytes[0] == '\0');
    if (little || big) {
        std::string ascii;
        for (size_t i = (bytes[0] == '\xFF' || bytes[0] == '\xFE') ? 2 : 0; i + 1 < bytes.size();
             i += 2)
            ascii.push_back(little ? bytes[i] : bytes[i + 1]);
        return StartsWithMarkup(ascii);
    }
    return StartsWithMarkup(bytes);
}
