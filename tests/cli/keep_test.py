#!/usr/bin/env python3
"""Converts templates with tessary-cli and checks that nothing of them is lost.

For every template given (the hand-written ones of tests/cli/templates and every real
template in the corpus folder, when it exists), in both formats where the text fits them:
  - every whole-line comment outside the strings section is written again, in order;
  - no keyword and no !! reference occurs fewer times outside the strings section;
  - every string keeps its text;
  - the output reads back with `check` without a message and converts to the same bytes.

Usage: keep_test.py TESSARY_CLI TEMPLATE_DIR [CORPUS_DIR]
"""

import os
import re
import subprocess
import sys
import tempfile
from collections import Counter

KEYWORDS = {
    k.upper()
    for k in """CLASS CATEGORY POLICY PART END KEYNAME VALUENAME VALUEON VALUEOFF EXPLAIN
    SUPPORTED CLIENTEXT ACTIONLISTON ACTIONLISTOFF ACTIONLIST ITEMLIST NAME VALUE DEFAULT
    SUGGESTIONS DEFCHECKED REQUIRED MAXLEN OEMCONVERT EXPANDABLETEXT NOSORT NUMERIC DELETE
    MAX MIN SPIN TXTCONVERT ADDITIVE EXPLICITVALUE VALUEPREFIX CHECKBOX TEXT EDITTEXT
    COMBOBOX DROPDOWNLIST LISTBOX #IF #ENDIF VERSION""".split()
}


def decode(data):
    if data[:2] == b"\xff\xfe":
        return data[2:].decode("utf-16-le")
    text = data.decode("latin-1")
    return text.split("\x1a", 1)[0].replace("\r\n", "\n")


def is_comment(line):
    return line.startswith(";") or line.startswith("//")


def split_sections(text):
    """The lines before the strings header and the lines from it on."""
    lines = text.split("\n")
    for i, line in enumerate(lines):
        stripped = line.strip()
        if stripped.startswith("["):
            close = stripped.find("]")
            if close > 0 and stripped[1:close].strip().lower() == "strings":
                return lines[:i], lines[i:]
    return lines, []


def tokens(line):
    """The tokens of one line as the reader cuts them, without its comment."""
    out = []
    rest = line
    while True:
        rest = rest.lstrip(" \t\r\n\v\f")
        if not rest or is_comment(rest):
            return out
        if rest[0] == '"':
            close = rest.find('"', 1)
            if close < 0:
                out.append(rest[1:])
                return out
            out.append(rest[1:close])
            rest = rest[close + 1:]
            continue
        match = re.match(r'[^ \n\r\t";/]*', rest)
        word = match.group(0)
        rest = rest[len(word):]
        if rest.startswith("/") and not rest.startswith("//"):
            word += "/"
            rest = rest[1:]
        if word:
            out.append(word)
        elif rest:
            rest = rest[1:]


def body_facts(lines):
    comments = []
    counts = Counter()
    for line in lines:
        stripped = line.strip(" \t\r\n\v\f")
        if is_comment(stripped):
            comments.append(stripped)
            continue
        for token in tokens(line):
            if token.upper() in KEYWORDS:
                counts[token.upper()] += 1
            elif token.startswith("!!"):
                counts[token] += 1
    return comments, counts


def strings_of(lines):
    table = {}
    for line in lines[1:]:
        stripped = line.strip()
        if stripped.startswith("[") and "]" in stripped:
            break
        if not stripped or is_comment(stripped):
            continue
        name, _, value = stripped.partition("=") if "=" in stripped else ("", "", stripped)
        name, value = name.strip(), value.strip()
        if value.startswith('"'):
            value = value[1:-1]
        table[name] = value
    return table


def is_subsequence(needles, haystack):
    it = iter(haystack)
    return all(any(n == h for h in it) for n in needles)


def run(*args):
    return subprocess.run(args, capture_output=True)


def check_one(cli, source, fmt, work):
    problems = []
    with open(source, "rb") as f:
        original = decode(f.read())
    out = os.path.join(work, "out.adm")
    again = os.path.join(work, "again.adm")
    result = run(cli, "convert", "--format", fmt, source, out)
    if result.returncode != 0:
        return ["convert failed: " + result.stderr.decode(errors="replace")]
    with open(out, "rb") as f:
        written = decode(f.read())

    body_in, strings_in = split_sections(original)
    body_out, strings_out = split_sections(written)
    comments_in, counts_in = body_facts(body_in)
    comments_out, counts_out = body_facts(body_out)
    if not is_subsequence(comments_in, comments_out):
        missing = [c for c in comments_in if c not in comments_out]
        problems.append("comments lost or reordered: %r" % missing[:3])
    for word, count in counts_in.items():
        if counts_out[word] < count:
            problems.append("%s: %d in the input, %d in the output" % (word, count, counts_out[word]))
    table_in, table_out = strings_of(strings_in), strings_of(strings_out)
    for name, text in table_in.items():
        if table_out.get(name) != text:
            problems.append("string %s: %r became %r" % (name, text, table_out.get(name)))

    result = run(cli, "check", out)
    if result.returncode != 0 or result.stderr:
        problems.append("check of the output: " + result.stderr.decode(errors="replace"))
    result = run(cli, "convert", out, again)
    with open(out, "rb") as a, open(again, "rb") as b:
        if result.returncode != 0 or a.read() != b.read():
            problems.append("converting the output again gives other bytes")
    return problems


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    cli, template_dir = sys.argv[1], sys.argv[2]
    sources = sorted(
        os.path.join(template_dir, name) for name in os.listdir(template_dir) if name.endswith(".adm")
    )
    corpus = sys.argv[3] if len(sys.argv) > 3 else ""
    if corpus and os.path.isdir(corpus):
        sources += sorted(os.path.join(corpus, n) for n in os.listdir(corpus) if n.endswith(".adm"))
    else:
        print("corpus not found, checking the hand-written templates only")
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for source in sources:
            with open(source, "rb") as f:
                text = decode(f.read())
            formats = ["unicode"] + (["ascii"] if all(ord(c) <= 0xFF for c in text) else [])
            for fmt in formats:
                for problem in check_one(cli, source, fmt, work):
                    print("FAIL %s (%s): %s" % (source, fmt, problem))
                    failures += 1
            print("checked %s (%s)" % (os.path.basename(source), ", ".join(formats)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
