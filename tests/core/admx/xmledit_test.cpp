#include <gtest/gtest.h>

#include <functional>
#include <unordered_map>

#include "core/admx/xmledit.h"
#include "core/admx/xmlfile.h"

namespace {

// A file read, a copy of its document to change, and the pairing of the copy's nodes with
// the file's, as a save of the ADMX writer has it.
struct cEditedFile {
    cXmlFile file;
    pugi::xml_document copy;
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> originals;

    explicit cEditedFile(const std::string& bytes) {
        cXmlProblem problem;
        EXPECT_TRUE(file.Load(bytes, problem)) << ToUtf8(problem.text);
        EXPECT_TRUE(file.Keep(bytes));
        copy.reset(file.Document());
        std::vector<std::pair<pugi::xml_node, pugi::xml_node>> todo{{file.Document(), copy}};
        while (!todo.empty()) {
            auto [a, b] = todo.back();
            todo.pop_back();
            originals[b.internal_object()] = a;
            for (pugi::xml_node x = a.first_child(), y = b.first_child(); x && y;
                 x = x.next_sibling(), y = y.next_sibling())
                todo.push_back({x, y});
        }
    }

    pugi::xml_node Root() { return copy.document_element(); }

    // The plan for the copy as it stands; the bytes it gives in `bytes`.
    std::vector<cByteEdit> Plan(std::string& bytes) {
        std::vector<cByteEdit> edits;
        Text problem;
        const cOriginalOf originalOf = [this](pugi::xml_node node) {
            auto found = originals.find(node.internal_object());
            return found == originals.end() ? pugi::xml_node() : found->second;
        };
        EXPECT_EQ(PlanXmlEdits(file, copy, originalOf, edits, problem), cEditPlan::Planned)
            << ToUtf8(problem);
        bytes = ApplyByteEdits(*file.Kept(), edits);
        return edits;
    }
};

std::string Utf16Le(const std::string& ascii, bool mark) {
    std::string out = mark ? std::string("\xFF\xFE", 2) : std::string();
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A file in the forms the writer must keep: "<x />", a start tag over several lines,
// an element written open and empty, CR LF, a reference, single quotes.
const std::string kStyled =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<root a=\"1\">\r\n"
    "  <item name=\"one\"\r\n"
    "        key = 'Software\\One' >\r\n"
    "    <text></text>\r\n"
    "    <value>x&#65;</value>\r\n"
    "  </item>\r\n"
    "  <item name=\"two\" />\r\n"
    "</root>\r\n";

}  // namespace

// Each kind of change is one edit of the bytes where it happened; everything else stays.
TEST(XmlEdit, EachChangeIsOneEditWhereItHappened) {
    struct cCase {
        const char* name;
        std::function<void(pugi::xml_node root)> change;
        std::string expected;
    };
    auto item = [](pugi::xml_node root, const char* name) {
        return root.find_child_by_attribute("item", "name", name);
    };
    const cCase cases[] = {
        {"a value over several lines, in its quotes",
         [&](pugi::xml_node root) {
             item(root, "one").attribute("key").set_value("Software\\It's");
         },
         Replaced(kStyled, "'Software\\One'", "'Software\\It&apos;s'")},
        {"an attribute added after the last, spaced as the empty tag was",
         [&](pugi::xml_node root) { item(root, "two").append_attribute("soft") = "true"; },
         Replaced(kStyled, "name=\"two\" />", "name=\"two\" soft=\"true\" />")},
        {"an attribute removed with its blanks",
         [&](pugi::xml_node root) { item(root, "one").remove_attribute("key"); },
         Replaced(kStyled, "\r\n        key = 'Software\\One'", "")},
        {"a text put into an element written open",
         [&](pugi::xml_node root) {
             item(root, "one").child("text").append_child(pugi::node_pcdata).set_value("a<b\n");
         },
         Replaced(kStyled, "<text></text>", "<text>a&lt;b\r\n</text>")},
        {"a text replaced, the other text's reference kept",
         [&](pugi::xml_node root) {
             pugi::xml_node value = item(root, "one").child("value");
             value.remove_child(value.first_child());
             value.append_child(pugi::node_pcdata).set_value("B");
         },
         Replaced(kStyled, "x&#65;", "B")},
        {"an element removed with its line",
         [&](pugi::xml_node root) {
             pugi::xml_node two = item(root, "two");
             root.remove_child(two.previous_sibling());
             root.remove_child(two);
         },
         Replaced(kStyled, "\r\n  <item name=\"two\" />", "")},
        {"an element added as its siblings stand",
         [&](pugi::xml_node root) {
             pugi::xml_node two = item(root, "two");
             pugi::xml_node added = root.insert_child_after("item", two);
             root.insert_child_before(pugi::node_pcdata, added).set_value("\n  ");
             added.append_attribute("name") = "three";
         },
         Replaced(kStyled, "<item name=\"two\" />",
                  "<item name=\"two\" />\r\n  <item name=\"three\" />")},
        {"an empty element that gains content opens",
         [&](pugi::xml_node root) { item(root, "two").append_child("text"); },
         Replaced(kStyled, "<item name=\"two\" />", "<item name=\"two\"><text /></item>")},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cEditedFile file(kStyled);
        c.change(file.Root());
        std::string bytes;
        EXPECT_EQ(file.Plan(bytes).size(), 1u);
        EXPECT_EQ(bytes, c.expected);
    }
}

// Nothing changed plans nothing; elements swapped keep their bytes, moved as they were.
TEST(XmlEdit, UnchangedAndMovedNodesKeepTheirBytes) {
    {
        cEditedFile file(kStyled);
        std::string bytes;
        EXPECT_TRUE(file.Plan(bytes).empty());
        EXPECT_EQ(bytes, kStyled);
    }
    cEditedFile file(kStyled);
    pugi::xml_node root = file.Root();
    pugi::xml_node one = root.find_child_by_attribute("item", "name", "one");
    root.insert_move_after(one, root.find_child_by_attribute("item", "name", "two"));
    std::string bytes;
    file.Plan(bytes);
    const std::string oneText =
        "<item name=\"one\"\r\n        key = 'Software\\One' >\r\n    <text></text>\r\n"
        "    <value>x&#65;</value>\r\n  </item>";
    EXPECT_EQ(bytes, Replaced(Replaced(kStyled, oneText, ""), "<item name=\"two\" />",
                              "<item name=\"two\" />" + oneText));
}

// The edits are made on the bytes of the file's encoding: UTF-16 with its mark, UTF-8 with a
// mark, UTF-8 under a declaration that names UTF-16; offsets count those bytes.
TEST(XmlEdit, EditsAreMadeInTheFilesEncoding) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<r a=\"\xC3\xA9\" b=\"1\"/>\n";
    const std::string changed = Replaced(text, "b=\"1\"", "b=\"22\"");
    const std::string utf16Text =
        "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<r a=\"e\" b=\"1\"/>\n";
    struct cCase {
        const char* name;
        std::string bytes;
        std::string expected;
        size_t offset;
    };
    const cCase cases[] = {
        {"UTF-16 with a mark", Utf16Le(utf16Text, true),
         Utf16Le(Replaced(utf16Text, "b=\"1\"", "b=\"22\""), true),
         2 + 2 * utf16Text.find("1\"/>")},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text, "\xEF\xBB\xBF" + changed,
         3 + text.find("1\"/>")},
        {"UTF-8 declared UTF-16", text, changed, text.find("1\"/>")},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cEditedFile file(c.bytes);
        file.Root().attribute("b").set_value("22");
        std::string bytes;
        const std::vector<cByteEdit> edits = file.Plan(bytes);
        ASSERT_EQ(edits.size(), 1u);
        EXPECT_EQ(edits[0].offset, c.offset);
        EXPECT_EQ(bytes, c.expected);
    }
    // A character the encoding cannot store refuses the plan.
    cEditedFile latin("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><r a=\"\xE9\"/>");
    latin.Root().attribute("a").set_value("\xE2\x82\xAC");
    std::vector<cByteEdit> edits;
    Text problem;
    const cOriginalOf paired = [&](pugi::xml_node node) {
        return latin.originals.count(node.internal_object())
                   ? latin.originals[node.internal_object()]
                   : pugi::xml_node();
    };
    EXPECT_EQ(PlanXmlEdits(latin.file, latin.copy, paired, edits, problem), cEditPlan::Refused);
    EXPECT_NE(ToUtf8(problem).find("U+20AC"), std::string::npos) << ToUtf8(problem);
}
