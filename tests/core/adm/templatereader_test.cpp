#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "core/adm/stringtable.h"
#include "core/io/files.h"
#include "core/adm/templatereader.h"
#include "core/adm/textsource.h"
#include "core/adm/tokenizer.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"

namespace {

// ---- A compact dump of a read template -------------------------------------------------

std::string U8(const Text& text) {
    return ToUtf8(text);
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

std::string Value(const cDescVal& value) {
    if (value.del)
        return "DELETE";
    if (value.numeric)
        return "#" + U8(value.valueText);
    return "'" + U8(value.valueText) + "'";
}

std::string Actions(const cActionList& list) {
    std::vector<std::string> groups;
    for (const cActionKey& group : list) {
        std::vector<std::string> entries;
        for (const cActionValue& entry : group.entries)
            entries.push_back(U8(entry.valueName) + "=" + Value(entry));
        groups.push_back(U8(group.keyName) + ":" + Join(entries, ";"));
    }
    return "{" + Join(groups, " ") + "}";
}

void Flag(std::vector<std::string>& attrs, int flag, const char* name) {
    if (flag)
        attrs.push_back(name);
}

void Field(std::vector<std::string>& attrs, int flag, const char* name, const Text& value) {
    if (flag)
        attrs.push_back(std::string(name) + "=" + U8(value));
}

template <typename P>
void OnOff(std::vector<std::string>& attrs, const P& node) {
    if (node.valueOn)
        attrs.push_back("on=" + Value(*node.valueOn));
    if (node.valueOff)
        attrs.push_back("off=" + Value(*node.valueOff));
    if (!node.actionListOn.empty())
        attrs.push_back("alon=" + Actions(node.actionListOn));
    if (!node.actionListOff.empty())
        attrs.push_back("aloff=" + Actions(node.actionListOff));
}

template <typename P>
void EditFields(std::vector<std::string>& attrs, const P& part) {
    Field(attrs, part.maxLenFlag, "maxlen", part.maxLen);
    Field(attrs, part.defaultFlag, "default", part.defaultText);
    Flag(attrs, part.required, "req");
    Flag(attrs, part.oemConvert, "oem");
    Flag(attrs, part.expandableText, "exp");
}

std::string Attrs(const std::vector<std::string>& attrs) {
    return attrs.empty() ? "" : "(" + Join(attrs, ",") + ")";
}

std::string Part(const cObjPolPart& part) {
    std::vector<std::string> attrs;
    Field(attrs, !part.useDefaultKey, "key", part.keyName);
    Field(attrs, !part.valueName.empty(), "vn", part.valueName);
    if (auto* p = dynamic_cast<const cObjPolPartCheckBox*>(&part)) {
        Flag(attrs, p->defChecked, "def");
        OnOff(attrs, *p);
    } else if (auto* p = dynamic_cast<const cObjPolPartEditText*>(&part)) {
        EditFields(attrs, *p);
    } else if (auto* p = dynamic_cast<const cObjPolPartCombo*>(&part)) {
        EditFields(attrs, *p);
        Flag(attrs, p->noSort, "nosort");
        std::vector<std::string> words;
        for (const cSuggestion& s : p->suggestions)
            words.push_back(U8(s.text));
        Field(attrs, !words.empty(), "sugg", FromUtf8(Join(words, "|")));
    } else if (auto* p = dynamic_cast<const cObjPolPartNum*>(&part)) {
        Field(attrs, p->maxFlag, "max", p->max);
        Field(attrs, p->minFlag, "min", p->min);
        Field(attrs, p->spinFlag, "spin", p->spin);
        Field(attrs, p->defaultFlag, "default", p->defaultValue);
        Flag(attrs, p->required, "req");
        Flag(attrs, p->txtConvert, "txt");
    } else if (auto* p = dynamic_cast<const cObjPolPartDropDown*>(&part)) {
        Flag(attrs, p->required, "req");
        Flag(attrs, p->noSort, "nosort");
        std::vector<std::string> items;
        for (const cItemList& item : p->itemList)
            items.push_back(U8(item.name) + (item.defaultFlag ? "*" : "") + ":" +
                            Value(item.value) +
                            (item.actionList.empty() ? "" : Actions(item.actionList)));
        if (!items.empty())
            attrs.push_back("items=" + Join(items, "|"));
    } else if (auto* p = dynamic_cast<const cObjPolPartListBox*>(&part)) {
        Flag(attrs, p->additive, "add");
        Flag(attrs, p->explicitValue, "expl");
        Field(attrs, p->valuePrefixFlag, "prefix", p->valuePrefix);
    }
    return "[" + U8(part.typeKeyword) + " " + U8(part.name) + Attrs(attrs) + "]";
}

// The label, followed by the stored name when the two differ.
std::string Label(const cTreeItem& item, const Text& name) {
    return U8(item.label) + (item.label == name ? "" : "<" + U8(name) + ">");
}

std::string Item(const cTreeItem& item) {
    std::string out;
    cData* node = item.node.get();
    if (auto* c = dynamic_cast<cObjClass*>(node)) {
        out = "C:" + Label(item, c->className);
    } else if (auto* k = dynamic_cast<cObjCategory*>(node)) {
        out = "K:" + Label(item, k->name);
        if (!k->useDefaultKey)
            out += "(key=" + U8(k->keyName) + ")";
        if (k->explainFlag)
            out += "(ex=" + U8(k->explainText) + ")";
    } else if (auto* v = dynamic_cast<cObjVersion*>(node)) {
        out = "V:" + Label(item, v->label);
    } else if (auto* p = dynamic_cast<cObjPolicy*>(node)) {
        std::vector<std::string> attrs;
        Field(attrs, !p->useDefaultKey, "key", p->keyName);
        Field(attrs, p->valueNameFlag, "vn", p->valueName);
        Field(attrs, p->explainFlag, "ex", p->explainText);
        Field(attrs, p->clientExtFlag, "ce", p->clientExt);
        Field(attrs, p->supportedFlag, "sup", p->supportedText);
        OnOff(attrs, *p);
        out = "P:" + Label(item, p->name) + Attrs(attrs);
        for (const auto& part : p->Parts())
            out += Part(*part);
    } else {
        out = "?";
    }
    if (!item.children.empty()) {
        std::vector<std::string> children;
        for (const auto& child : item.children)
            children.push_back(Item(*child));
        out += "{" + Join(children, ", ") + "}";
    }
    return out;
}

std::string Dump(const cTemplateTree& tree) {
    std::vector<std::string> items;
    for (const auto& item : tree.Root()->children)
        items.push_back(Item(*item));
    return Join(items, ", ");
}

// ---- Reading ---------------------------------------------------------------------------

struct ReadResult {
    bool ok = false;
    std::string tree;
    std::vector<std::string> messages;
    std::vector<int> severities;
};

ReadResult Read(const Text& text) {
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    cMessageRecorder recorder;
    ReadResult result;
    EXPECT_TRUE(LoadStrings(text, doc.Strings()));
    cTokenizer tokens(text);
    result.ok = ReadTemplate(doc.Tree(), doc.Strings(), tokens);
    result.tree = Dump(doc.Tree());
    result.messages = recorder.Utf8();
    result.severities = recorder.severities;
    return result;
}

struct ReadCase {
    const char* name;
    const char* input;
    bool ok;
    const char* tree;
    std::vector<std::string> messages;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

// A policy inside a category with a key, and the dump that goes with it.
#define POL "CLASS M CATEGORY c KEYNAME K\n"
#define TREE "C:M{K:c(key=K){"
#define END_TREE "}}"

const char kCorret[] =
    "Your input template file contains an #if statement that is not followed by a version "
    "keyword this is not valid. Please corret your template file";
const char kManually[] =
    "Your input template file contains an #if statement that is not followed by a version "
    "keyword this is not valid. Please correct your template file manually";
const char kPartOfP[] = "Error reading a policy part of p";

// clang-format off
const ReadCase kReadCases[] = {
    // Structure.
    {"empty", "", true, "", {}},
    {"text before the first class", "foo POLICY x KEYNAME y END POLICY\nCLASS MACHINE",
     true, "C:MACHINE", {}},
    {"two classes", "CLASS MACHINE CATEGORY a END CATEGORY CLASS USER CATEGORY b END CATEGORY",
     true, "C:MACHINE{K:a}, C:USER{K:b}", {}},
    {"keywords without regard to case", "class M category a keyname k end category",
     true, "C:M{K:a(key=k)}", {}},
    {"policy directly in a class is passed over",
     "CLASS M POLICY p PART x CHECKBOX END PART END POLICY CATEGORY c END CATEGORY",
     true, "C:M{K:c}", {}},
    {"nested categories and policies",
     "CLASS M CATEGORY a CATEGORY b POLICY p END POLICY END CATEGORY POLICY q END POLICY "
     "END CATEGORY",
     true, "C:M{K:a{K:b{P:p}, P:q}}", {}},
    {"version around a category in a class",
     "CLASS MACHINE\n#if version >= 4\nCATEGORY c\nEND CATEGORY\n#endif\nCATEGORY d END CATEGORY",
     true, "C:MACHINE{V:If Version >= 4{K:c}, K:d}", {}},
    {"version members",
     "#if VERSION >= 2 POLICY p END POLICY CATEGORY c END CATEGORY #if version < 5 #endif #endif",
     true, "V:If Version >= 2{P:p, K:c, V:If Version < 5}", {}},
    {"a class inside a version ends at its #endif",
     "#if version >= 2\nCLASS M CATEGORY c END CATEGORY\nCLASS U\n#endif\nCLASS X",
     true, "V:If Version >= 2{C:M{K:c}, C:U}, C:X", {}},
    {"a class inside a version at the end of the file", "#if version >= 2 CLASS M",
     true, "V:If Version >= 2{C:M}",
     {"Unexpected end of template file while reading #if If Version >= 2 >= 2"}},
    {"stray #endif ends a top-level class", "CLASS M #endif CATEGORY c END CATEGORY CLASS U",
     true, "C:M, C:U", {}},
    {"#if without version at top level", "#if ver", false, "", {kCorret}},
    {"#if without version in a version", "#if version > 1 #if other",
     false, "V:If Version > 1", {kCorret}},
    {"#if without version in a class", "CLASS M #if foo", false, "C:M", {kManually}},
    {"#if without version in a category", "CLASS M CATEGORY c #if foo",
     false, "C:M{K:c}", {kManually}},
    {"category without end", "CLASS M CATEGORY c POLICY p END POLICY",
     true, "C:M{K:c{P:p}}", {"Unexpected end of template file while reading category c"}},
    {"END then another word in a category",
     "CLASS M CATEGORY c END POLICY q END POLICY END KEYNAME k END CATEGORY",
     true, "C:M{K:c(key=k){P:q}}", {}},
    {"references show their text",
     "CLASS !!m CATEGORY !!known END CATEGORY CATEGORY !!missing END CATEGORY\n"
     "#if version >= 1 #endif\n[strings]\nknown=Known text\nm=Machine\n",
     true, "C:Machine<!!m>{K:Known text<!!known>, K:!!missing, V:If Version >= 1}", {}},
    {"strings section text taken as a keyword", "CLASS M\n[strings]\nx=\"CATEGORY\"\ny=z\n",
     true, "C:M{K:y=z}", {"Unexpected end of template file while reading category y=z"}},
    {"class name missing", "CLASS", false, "", {"Error reading name of \"CLASS\""}},
    {"category name missing", "CLASS M CATEGORY",
     false, "C:M", {"Error reading name of \"CATEGORY\""}},
    {"category key missing", "CLASS M CATEGORY c KEYNAME",
     false, "C:M{K:c}", {"Error reading value of \"KEYNAME\""}},
    {"category EXPLAIN", "CLASS M CATEGORY c EXPLAIN !!CatHelp KEYNAME k END CATEGORY",
     true, "C:M{K:c(key=k)(ex=!!CatHelp)}", {}},
    {"category EXPLAIN missing", "CLASS M CATEGORY c EXPLAIN", true, "C:M{K:c(ex=)}",
     {"Error Reading Parameter \"EXPLAIN\" of c.",
      "Unexpected end of template file while reading category c"}},
    {"category END at the end of the file", "CLASS M CATEGORY c END", false, "C:M{K:c}", {}},
    {"version operator missing", "#if version",
     false, "", {"Error reading Operand of version"}},
    {"version number missing", "#if version >=",
     false, "", {"Error reading number of version of #if version"}},
    {"version without #endif", "#if version >= 2 CATEGORY c END CATEGORY",
     true, "V:If Version >= 2{K:c}",
     {"Unexpected end of template file while reading #if If Version >= 2 >= 2"}},

    // Policies.
    {"policy fields",
     POL "POLICY p KEYNAME pk VALUENAME v EXPLAIN e CLIENTEXT ce VALUEON NUMERIC 1 "
     "VALUEOFF DELETE END POLICY END CATEGORY",
     true, TREE "P:p(key=pk,vn=v,ex=e,ce=ce,on=#1,off=DELETE)" END_TREE, {}},
    {"value forms",
     POL "POLICY p VALUEON \"1\" VALUEOFF \"delete\" END POLICY "
     "POLICY q VALUEON numeric abc END POLICY END CATEGORY",
     true, TREE "P:p(on='1',off=DELETE), P:q(on=#abc)" END_TREE, {}},
    {"policy keywords wherever they stand",
     POL "POLICY p\n#if VERSION >= 3\nEXPLAIN e\n#endif\nEND KEYNAME x END POLICY END CATEGORY",
     true, TREE "P:p(key=x,ex=e)" END_TREE, {}},
    {"second VALUEOFF", POL "POLICY p VALUEOFF 0 VALUEOFF 1 END POLICY",
     false, TREE "P:p(off='0')" END_TREE,
     {"Error: parameter \"VALUEOFF\" is specified more than once whithin Policy Part p."}},
    {"VALUEON number missing", POL "POLICY p VALUEON NUMERIC",
     false, TREE "P:p(on=#)" END_TREE, {"Error reading parameter \"VALUEON\"."}},
    {"VALUEOFF value missing", POL "POLICY p VALUEOFF",
     false, TREE "P:p(off='')" END_TREE, {"Error reading parameter \"VALUEOFF\"."}},
    {"policy name missing", POL "POLICY", false, TREE "P:" END_TREE,
     {"Error reading name of \"POLICY\"",
      "Unexpected end of template file while reading policy ."}},
    {"policy without end", POL "POLICY p", false, TREE "P:p" END_TREE,
     {"Unexpected end of template file while reading policy p."}},
    {"policy END at the end of the file", POL "POLICY p END", false, TREE "P:p" END_TREE, {}},
    {"SUPPORTED before and after EXPLAIN, guards passed over",
     POL "POLICY p\n#if version >= 4\nSUPPORTED !!SUPPORTED_WIN7\n#endif\nEXPLAIN e\n"
     "END POLICY POLICY q EXPLAIN e SUPPORTED \"Windows 7\" END POLICY END CATEGORY",
     true, TREE "P:p(ex=e,sup=!!SUPPORTED_WIN7), P:q(ex=e,sup=Windows 7)" END_TREE, {}},
    {"SUPPORTED missing", POL "POLICY p SUPPORTED", false, TREE "P:p(sup=)" END_TREE,
     {"Error Reading Parameter \"SUPPORTED\" of p.",
      "Unexpected end of template file while reading policy p."}},
    {"EXPLAIN missing", POL "POLICY p EXPLAIN", false, TREE "P:p(ex=)" END_TREE,
     {"Error Reading Parameter \"EXPLAIN\" of p.",
      "Unexpected end of template file while reading policy p."}},
    {"policy VALUENAME missing", POL "POLICY p VALUENAME",
     false, TREE "P:p" END_TREE, {"Error Reading Parameter \"VALUENAME\" of p."}},
    {"long names are cut at 50",
     POL "POLICY p123456789a123456789b123456789c123456789d123456789e123456789f VALUENAME",
     false, TREE "P:p123456789a123456789b123456789c123456789d123456789e123456789f" END_TREE,
     {"Error Reading Parameter \"VALUENAME\" of "
      "p123456789a123456789b123456789c123456789d123456789."}},

    // Action lists.
    {"action list groups",
     POL "POLICY p ACTIONLISTON KEYNAME A VALUENAME x VALUE 1 KEYNAME B VALUENAME y VALUE "
     "NUMERIC 2 END ACTIONLISTON ACTIONLISTOFF VALUENAME z VALUE DELETE END ACTIONLIST "
     "END POLICY END CATEGORY",
     true, TREE "P:p(alon={A:x='1' B:y=#2},aloff={K:z=DELETE})" END_TREE, {}},
    {"action list under the policy's own key",
     POL "POLICY p KEYNAME pk ACTIONLISTOFF VALUENAME z VALUE 0 END ACTIONLISTOFF "
     "END POLICY END CATEGORY",
     true, TREE "P:p(key=pk,aloff={pk:z='0'})" END_TREE, {}},
    {"action list KEYNAME before entries renames the group",
     POL "POLICY p ACTIONLISTON KEYNAME A KEYNAME B VALUENAME x VALUE 1 VALUENAME y "
     "VALUENAME w VALUE 2 VALUE 3 END ACTIONLISTOFF END POLICY END CATEGORY",
     true, TREE "P:p(alon={B:x='1';y='';w='3'})" END_TREE, {}},
    {"second action list replaces the first",
     POL "POLICY p ACTIONLISTON VALUENAME a VALUE 1 END ACTIONLISTON "
     "ACTIONLISTON VALUENAME b VALUE 2 END ACTIONLISTON END POLICY END CATEGORY",
     true, TREE "P:p(alon={K:b='2'})" END_TREE, {}},
    {"action list under a version node",
     "CLASS M CATEGORY c KEYNAME K #if version >= 4 POLICY p ACTIONLISTON VALUENAME x "
     "VALUE 1 END ACTIONLISTON END POLICY #endif END CATEGORY",
     true, "C:M{K:c(key=K){V:If Version >= 4{P:p(alon={K:x='1'})}}}", {}},
    {"action list VALUE before VALUENAME", POL "POLICY p ACTIONLISTON VALUE 1",
     false, TREE "P:p(alon={K:})" END_TREE,
     {"Error Reading Parameter \"VALUE\" of ACTIONLIST."}},
    {"action list VALUE missing", POL "POLICY p ACTIONLISTON VALUENAME x VALUE NUMERIC",
     false, TREE "P:p(alon={K:x=#})" END_TREE,
     {"Error reading parameter \"VALUE\" of ACTIONLIST."}},
    {"action list VALUENAME missing", POL "POLICY p ACTIONLISTON VALUENAME",
     false, TREE "P:p(alon={K:=''})" END_TREE,
     {"Error Reading Parameter \"VALUENAME\" of ACTIONLIST.",
      "Unexpected end of template file while reading policy p."}},

    // Parts.
    {"unknown part type is skipped whole",
     POL "POLICY p PART a CHEKBOX KEYNAME x END VALUENAME END PART PART b CHECKBOX END PART "
     "END POLICY END CATEGORY",
     true, TREE "P:p[CHECKBOX b]" END_TREE, {}},
    {"unknown part type at the end of the file", POL "POLICY p PART a FOO x",
     false, TREE "P:p" END_TREE,
     {"Unexpected end of template file while reading policyPart", kPartOfP}},
    {"unknown part type END at the end of the file", POL "POLICY p PART a FOO END",
     false, TREE "P:p" END_TREE, {kPartOfP}},
    {"part name missing", POL "POLICY p PART", false, TREE "P:p" END_TREE,
     {"Error reading name of \"PART\"", kPartOfP}},
    {"part type missing", POL "POLICY p PART a", false, TREE "P:p" END_TREE,
     {"Error reading type of \"PART\"", kPartOfP}},
    {"check box",
     POL "POLICY p KEYNAME pk PART cb checkbox KEYNAME ck VALUEON \"yes\" VALUENAME cv "
     "DEFCHECKED VALUEOFF NUMERIC 0 ACTIONLISTON VALUENAME a VALUE 1 END ACTIONLISTON "
     "ACTIONLISTOFF VALUENAME b VALUE 0 END ACTIONLISTOFF END PART PART cc CHECKBOX "
     "ACTIONLISTON VALUENAME c VALUE 1 END ACTIONLISTON END PART END POLICY END CATEGORY",
     true, TREE "P:p(key=pk)[CHECKBOX cb(key=ck,vn=cv,def,on='yes',off=#0,alon={ck:a='1'},"
     "aloff={ck:b='0'})][CHECKBOX cc(alon={pk:c='1'})]" END_TREE, {}},
    {"check box second VALUEON",
     POL "POLICY p PART cb CHECKBOX VALUEON 1 VALUEON 2 END PART END POLICY",
     false, TREE "P:p[CHECKBOX cb(on='1')]" END_TREE,
     {"Error: parameter \"VALUEON\" is specified more than once whithin Policy Part cb.",
      kPartOfP}},
    {"check box action list failure", POL "POLICY p PART cb CHECKBOX ACTIONLISTOFF VALUE",
     false, TREE "P:p[CHECKBOX cb(aloff={K:})]" END_TREE,
     {"Error Reading Parameter \"VALUE\" of ACTIONLIST.", kPartOfP}},
    {"part END then another word",
     POL "POLICY p PART cb CHECKBOX END DEFCHECKED END PART END POLICY END CATEGORY",
     true, TREE "P:p[CHECKBOX cb(def)]" END_TREE, {}},
    {"part END at the end of the file", POL "POLICY p PART cb CHECKBOX END",
     false, TREE "P:p[CHECKBOX cb]" END_TREE, {kPartOfP}},
    {"part without end", POL "POLICY p PART cb CHECKBOX",
     false, TREE "P:p[CHECKBOX cb]" END_TREE,
     {"Unexpected end of template file while reading policyPart cb.", kPartOfP}},
    {"text has no keywords",
     POL "POLICY p PART t TEXT KEYNAME x VALUENAME y END PART END POLICY END CATEGORY",
     true, TREE "P:p[TEXT t(key=)]" END_TREE, {}},
    {"edit text",
     POL "POLICY p PART e EDITTEXT KEYNAME ek VALUENAME ev MAXLEN 10 DEFAULT \"d\" REQUIRED "
     "OEMCONVERT EXPANDABLETEXT SUGGESTIONS a b END SUGGESTIONS END PART END POLICY "
     "END CATEGORY",
     true, TREE "P:p[EDITTEXT e(key=ek,vn=ev,maxlen=10,default=d,req,oem,exp)]" END_TREE, {}},
    {"edit text MAXLEN missing", POL "POLICY p PART e EDITTEXT MAXLEN",
     false, TREE "P:p[EDITTEXT e(maxlen=)]" END_TREE,
     {"Error Reading Parameter \"MAXLEN\" of e.",
      "Unexpected end of template file while reading policyPart e.", kPartOfP}},
    {"part VALUENAME missing", POL "POLICY p PART e EDITTEXT VALUENAME",
     false, TREE "P:p[EDITTEXT e]" END_TREE,
     {"Error Reading Parameter \"VALUENAME\" of e.",
      "Unexpected end of template file while reading policyPart e.", kPartOfP}},
    {"combo box with END among the suggestions",
     POL "POLICY p PART co COMBOBOX NOSORT MAXLEN 5 SUGGESTIONS one END two END END "
     "SUGGESTIONS END PART END POLICY END CATEGORY",
     true, TREE "P:p[COMBOBOX co(maxlen=5,nosort,sugg=one|END|two|END)]" END_TREE, {}},
    {"combo box second SUGGESTIONS",
     POL "POLICY p PART co COMBOBOX SUGGESTIONS a END SUGGESTIONS SUGGESTIONS b "
     "END SUGGESTIONS END PART",
     false, TREE "P:p[COMBOBOX co(sugg=a)]" END_TREE,
     {"Error Reading Parameter \"SUGGESTIONS\" of co.", kPartOfP}},
    {"combo box suggestions END at the end of the file",
     POL "POLICY p PART co COMBOBOX SUGGESTIONS a END",
     false, TREE "P:p[COMBOBOX co(sugg=a)]" END_TREE,
     {"Error Reading Parameter \"SUGGESTIONS\" of co.", kPartOfP}},
    {"numeric",
     POL "POLICY p PART n NUMERIC VALUENAME nv MIN 1 SPIN 5 DEFAULT 3 REQUIRED TXTCONVERT "
     "END PART END POLICY END CATEGORY",
     true, TREE "P:p[NUMERIC n(vn=nv,min=1,spin=5,default=3,req,txt)]" END_TREE, {}},
    {"numeric MAX missing", POL "POLICY p PART n NUMERIC MAX",
     false, TREE "P:p[NUMERIC n(max=9999)]" END_TREE,
     {"Error Reading Parameter \"MAX\" of n.",
      "Unexpected end of template file while reading policyPart n.", kPartOfP}},
    {"drop-down list",
     POL "POLICY p PART d DROPDOWNLIST KEYNAME dk REQUIRED NOSORT ITEMLIST NAME a VALUE 1 "
     "NAME b VALUE NUMERIC 2 ACTIONLIST VALUENAME x VALUE 3 END ACTIONLIST NAME c VALUE "
     "DELETE VALUE 4 END ITEMLIST END PART PART e DROPDOWNLIST ITEMLIST NAME z ACTIONLIST "
     "VALUENAME y VALUE 0 END ACTIONLIST END ITEMLIST END PART END POLICY END CATEGORY",
     true, TREE "P:p[DROPDOWNLIST d(key=dk,req,nosort,items=a:'1'|b:#2{dk:x='3'}|c:'4')]"
     "[DROPDOWNLIST e(items=z:''{K:y='0'})]" END_TREE, {}},
    {"DEFAULT after an item's value or its action list; the last mark wins",
     POL "POLICY p PART d DROPDOWNLIST ITEMLIST DEFAULT NAME a VALUE 1 DEFAULT NAME b VALUE 2 "
     "END ITEMLIST END PART PART e DROPDOWNLIST ITEMLIST NAME a VALUE 1 DEFAULT NAME b VALUE 2 "
     "ACTIONLIST VALUENAME x VALUE 3 END ACTIONLIST DEFAULT NAME c VALUE 3 END ITEMLIST END PART "
     "END POLICY END CATEGORY",
     true, TREE "P:p[DROPDOWNLIST d(items=a*:'1'|b:'2')]"
     "[DROPDOWNLIST e(items=a:'1'|b*:'2'{K:x='3'}|c:'3')]" END_TREE, {}},
    {"item list VALUE before NAME", POL "POLICY p PART d DROPDOWNLIST ITEMLIST VALUE 1",
     false, TREE "P:p[DROPDOWNLIST d]" END_TREE,
     {"Error Reading Parameter \"VALUE\" of ITEMLIST.",
      "Error Reading Parameter \"ITEMLIST\" of d.", kPartOfP}},
    {"item list NAME missing", POL "POLICY p PART d DROPDOWNLIST ITEMLIST NAME",
     false, TREE "P:p[DROPDOWNLIST d(items=:'')]" END_TREE,
     {"Error reading value of \"NAME\" of Itemlist",
      "Error Reading Parameter \"ITEMLIST\" of d.", kPartOfP}},
    {"item list VALUE missing", POL "POLICY p PART d DROPDOWNLIST ITEMLIST NAME a VALUE",
     false, TREE "P:p[DROPDOWNLIST d(items=a:'')]" END_TREE,
     {"Error reading parameter \"VALUE\" of ITEMLIST.",
      "Error Reading Parameter \"ITEMLIST\" of d.", kPartOfP}},
    {"item list action list failure",
     POL "POLICY p PART d DROPDOWNLIST ITEMLIST NAME a ACTIONLIST VALUE",
     false, TREE "P:p[DROPDOWNLIST d(items=a:''{K:})]" END_TREE,
     {"Error Reading Parameter \"VALUE\" of ACTIONLIST.",
      "Error Reading Parameter \"ITEMLIST\" of d.", kPartOfP}},
    {"second item list",
     POL "POLICY p PART d DROPDOWNLIST ITEMLIST NAME a END ITEMLIST ITEMLIST NAME b "
     "END ITEMLIST END PART",
     false, TREE "P:p[DROPDOWNLIST d(items=a:'')]" END_TREE,
     {"Error Reading Parameter \"ITEMLIST\" of d.", kPartOfP}},
    {"list box",
     POL "POLICY p PART l LISTBOX KEYNAME lk VALUENAME v ADDITIVE EXPLICITVALUE VALUEPREFIX "
     "\"\" END PART END POLICY END CATEGORY",
     true, TREE "P:p[LISTBOX l(key=lk,add,expl,prefix=)]" END_TREE, {}},
    {"list box VALUEPREFIX missing", POL "POLICY p PART l LISTBOX VALUEPREFIX",
     false, TREE "P:p[LISTBOX l]" END_TREE, {"Error reading value of \"VALUEPREFIX\"", kPartOfP}},
};
// clang-format on

class ReadCases : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadCases, GivesTheExpectedTreeAndMessages) {
    const ReadCase& c = GetParam();
    ReadResult result = Read(FromUtf8(c.input));
    EXPECT_EQ(result.ok, c.ok) << c.name;
    EXPECT_EQ(result.tree, c.tree) << c.name;
    EXPECT_EQ(result.messages, c.messages) << c.name;
    for (int severity : result.severities)
        EXPECT_EQ(severity, kSeverityError) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Templates, ReadCases, ::testing::ValuesIn(kReadCases),
                         CaseName<ReadCases::ParamType>);

TEST(TemplateReader, DocumentRefusesToReadWithoutFrameOrView) {
    cTempFile file("CLASS M\r\n");
    for (bool frame : {false, true}) {
        CPelwinDoc doc;
        if (frame)
            doc.SetFrame(&doc);
        cMessageRecorder recorder;
        EXPECT_FALSE(doc.ReadFile(file.PathText()));
        EXPECT_EQ(recorder.Utf8(),
                  std::vector<std::string>{frame ? "Unable to retrieve document view."
                                                 : "Unable to retrieve framewindow."});
        EXPECT_EQ(recorder.severities, std::vector<int>{kSeverityInternal});
        EXPECT_TRUE(doc.Tree().IsEmpty());
    }
}

TEST(TemplateReader, NumericDefaultsStayWhenNotGiven) {
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    Text text = u"CLASS M CATEGORY c POLICY p PART n NUMERIC END PART END POLICY END CATEGORY";
    cTokenizer tokens(text);
    ASSERT_TRUE(ReadTemplate(doc.Tree(), doc.Strings(), tokens));
    cTreeItem* policyItem =
        doc.Tree().FirstChildOf(doc.Tree().FirstChildOf(doc.Tree().FirstRootItem()));
    auto* policy = dynamic_cast<cObjPolicy*>(doc.Tree().NodeOf(policyItem));
    ASSERT_TRUE(policy);
    ASSERT_EQ(policy->Parts().size(), 1u);
    auto* numeric = dynamic_cast<cObjPolPartNum*>(policy->Parts()[0].get());
    ASSERT_TRUE(numeric);
    EXPECT_EQ(numeric->max, u"9999");
    EXPECT_EQ(numeric->min, u"0");
    EXPECT_EQ(numeric->spin, u"1");
    EXPECT_EQ(numeric->maxFlag + numeric->minFlag + numeric->spinFlag, 0);
    EXPECT_EQ(numeric->useDefaultKey, 1);
    EXPECT_EQ(numeric->Policy(), policy);
}

// Nested categories and version blocks: a deep but legal file reads, a deeper one is
// refused with a message instead of overflowing the stack.
Text Nested(int levels) {
    Text text = u"CLASS M\n";
    for (int i = 0; i < levels - 1; ++i)
        text += (i % 2) ? u"#if version >= 1\n" : u"CATEGORY c\n";
    for (int i = levels - 2; i >= 0; --i)
        text += (i % 2) ? u"#endif\n" : u"END CATEGORY\n";
    return text;
}

TEST(TemplateReader, DeepNestingReadsUpToTheLimit) {
    for (int levels : {200, kMaxNestingDepth}) {
        ReadResult result = Read(Nested(levels));
        EXPECT_TRUE(result.ok) << levels;
        EXPECT_TRUE(result.messages.empty()) << levels;
        EXPECT_EQ(std::count(result.tree.begin(), result.tree.end(), '{'), levels - 1);
    }
}

TEST(TemplateReader, NestingBeyondTheLimitIsRefused) {
    ReadResult result = Read(Nested(kMaxNestingDepth + 1));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.messages,
              std::vector<std::string>{"Error: the template is nested more than " +
                                       std::to_string(kMaxNestingDepth) + " levels deep."});

    Text hostile;
    for (int i = 0; i < 100000; ++i)
        hostile += u"#if version >= 1 ";
    result = Read(hostile);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.messages.size(), 1u);
}

// A truncated file may fail, but it must never crash or hang.
TEST(TemplateReader, EveryTruncationEnds) {
    const std::string sample =
        "CLASS MACHINE\r\n#if version >= 4\r\nCATEGORY !!c\r\nKEYNAME \"S\\K\"\r\n"
        "POLICY p\r\nVALUEON NUMERIC 1\r\nACTIONLISTOFF KEYNAME A VALUENAME x VALUE DELETE END "
        "ACTIONLISTOFF\r\nPART d DROPDOWNLIST ITEMLIST NAME a VALUE 1 ACTIONLIST VALUENAME y "
        "VALUE 2 END ACTIONLIST END ITEMLIST END PART\r\nPART co COMBOBOX SUGGESTIONS s END "
        "SUGGESTIONS END PART\r\nPART n NUMERIC MAX 5 END PART\r\nEND POLICY\r\nEND CATEGORY\r\n"
        "#endif\r\n[strings]\r\nc=\"Cat\"\r\n";
    for (size_t length = 0; length <= sample.size(); ++length) {
        Text text = DecodeTemplate(std::string_view(sample.data(), length), 0);
        ReadResult result = Read(text);
        if (length == sample.size()) {
            EXPECT_TRUE(result.ok);
            EXPECT_TRUE(result.messages.empty());
        }
    }
}

TEST(TemplateReader, CorpusTemplatesReadWithoutMessages) {
    SKIP_WITHOUT_CORPUS();
    for (const auto& path : CorpusFiles()) {
        std::string bytes;
        int err = 0;
        ASSERT_TRUE(ReadWholeFile(path.string(), bytes, err)) << path;
        ASSERT_EQ(DecideEncoding(bytes), 1) << path;
        Text text = DecodeTemplate(bytes, 1);
        CPelwinDoc doc;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        cMessageRecorder recorder;
        ASSERT_TRUE(LoadStrings(text, doc.Strings())) << path;
        EXPECT_GT(doc.Strings().Size(), 500u) << path;
        cTokenizer tokens(text);
        EXPECT_TRUE(ReadTemplate(doc.Tree(), doc.Strings(), tokens)) << path;
        EXPECT_TRUE(recorder.texts.empty()) << path << ": " << recorder.Utf8().front();
        EXPECT_GT(doc.Tree().ItemCount(), 500u) << path;
    }
}

}  // namespace
