#!/usr/bin/env python3
"""Checks what tessary-cli prints with --format json and --format sarif.

  - lint on a template with a finding of every rule: the JSON and the SARIF hold the same
    findings as the text, in the same order, and the SARIF log validates against the
    SARIF 2.1.0 JSON schema, lists every rule once and points each result at its rule;
  - file names that a URI or JSON must encode (blanks, ':', '%', non-ASCII, absolute paths)
    come out decodable to the name given, and a name that is not UTF-8 as valid JSON;
  - a file that cannot be read and an ADMX file are run notifications in SARIF;
  - check and find with --format json, and wrong --format values;
  - the SARIF of every corpus template validates too (skipped when the folder is absent).

Usage: formats_test.py TESSARY_CLI SCHEMA [CORPUS_DIR]
"""

import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import urllib.parse

try:
    import jsonschema
except ImportError:
    print("FAIL: no JSON schema validator: install python3-jsonschema (scripts/setup.sh does)")
    sys.exit(1)

CLI = os.path.abspath(sys.argv[1])
SCHEMA = json.load(open(sys.argv[2], encoding="utf-8"))
CORPUS = sys.argv[3] if len(sys.argv) > 3 else ""
VALIDATOR = jsonschema.validators.validator_for(SCHEMA)(SCHEMA)
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def run(*args, cwd=None):
    """Runs tessary-cli; arguments may be bytes (file names that are not UTF-8)."""
    result = subprocess.run([CLI, *args], capture_output=True, cwd=cwd)
    return result.returncode, result.stdout, result.stderr


def parse_json(what, data):
    try:
        return json.loads(data.decode("utf-8"))  # strict: the output must be UTF-8
    except (UnicodeDecodeError, json.JSONDecodeError) as error:
        fail("%s: not JSON: %s" % (what, error))
        return None


def validate(what, log):
    errors = sorted(VALIDATOR.iter_errors(log), key=lambda e: list(e.path))
    for error in errors[:5]:
        fail("%s: SARIF schema: %s at %s" % (what, error.message, list(error.path)))
    return not errors


TEXT_LINE = re.compile(r"^(.*):(\d+): (error|warning): (.*) \[([a-z-]+)\]$")

# Every rule once: the template with all the others, and one from which nothing is read.
# Line 37 carries a quote, a backslash and a control character into its finding.
EVERY_RULE = (
    b"CLASS MACHINE\n CATEGORY Cat\n  KEYNAME Software\\Test\n"
    b"  POLICY Pol\n   EXPLAIN !!Missing\n   VALUENAME v\n  END POLICY\n"
    b"  POLICY Num\n   PART N NUMERIC\n    VALUENAME n MIN 10 MAX 5\n   END PART\n"
    b"  END POLICY\n"
    b"  POLICY Drop\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n"
    b"    END ITEMLIST\n   END PART\n  END POLICY\n"
    b"  POLICY Items\n   PART D2 DROPDOWNLIST\n    VALUENAME d2\n    ITEMLIST\n"
    b"     NAME a VALUE NUMERIC 1 DEFAULT\n     NAME b VALUE NUMERIC 1 DEFAULT\n"
    b"    END ITEMLIST\n   END PART\n  END POLICY\n"
    b"  POLICY Two\n   VALUENAME V\n  END POLICY\n"
    b"  POLICY Empty\n   PART T TEXT\n   END PART\n  END POLICY\n"
    b'  POLICY Over\n   VALUENAME o "FO\\"O" BAR\x01\n  END POLICY\n'
    b" END CATEGORY\n"
    b" CATEGORY NoKey\n  POLICY !!Pol\n   VALUENAME w\n  END POLICY\n END CATEGORY\n"
    b" CATEGORY Open\n  POLICY Last\n   KEYNAME K2\n   VALUENAME z\n  END POLICY\n\n"
    b"[strings]\nPol=P\nPol=Q\nSpare=S\n"
)

work = tempfile.mkdtemp()
every = os.path.join(work, "every-rule.adm")
empty = os.path.join(work, "comments-only.adm")
open(every, "wb").write(EVERY_RULE)
open(empty, "wb").write(b"; nothing but a comment\n")

# The same findings in all three forms, with the same exit status and standard error.
status, text, text_err = run("lint", every, empty)
expected = []
for line in text.decode("utf-8").splitlines():
    match = TEXT_LINE.match(line)
    if not match:
        fail("lint text line: %r" % line)
        continue
    file, number, severity, message, rule = match.groups()
    expected.append({"file": file, "line": int(number), "severity": severity, "rule": rule,
                     "message": message})
if status != 1:
    fail("lint of every rule: exit %d, expected 1" % status)

status, out, err = run("lint", "--format", "json", every, empty)
if (status, err) != (1, text_err):
    fail("lint --format json: exit %d, standard error %r" % (status, err))
if parse_json("lint --format json", out) != expected:
    fail("lint --format json differs from the text:\n%s" % out.decode("utf-8", "replace"))

status, out, err = run("lint", "--format=sarif", every, empty)
if (status, err) != (1, text_err):
    fail("lint --format sarif: exit %d, standard error %r" % (status, err))
log = parse_json("lint --format sarif", out)
if log is not None and validate("lint of every rule", log):
    run_ = log["runs"][0]
    rules = run_["tool"]["driver"]["rules"]
    ids = [rule["id"] for rule in rules]
    if len(set(ids)) != len(ids):
        fail("a rule is listed twice: %s" % ids)
    results = run_["results"]
    used = sorted(result["ruleId"] for result in results)
    # The rules of ADMX sets and stores are found in sets of their own (admx_test.sh).
    template_ids = [i for i in ids if i != "xml" and not i.startswith(("admx-", "mdm-", "store-"))]
    if used != sorted(template_ids):
        fail("not one finding of each rule: rules %s, findings %s" % (sorted(ids), used))
    if len(results) != len(expected):
        fail("%d SARIF results for %d findings" % (len(results), len(expected)))
    for result, want in zip(results, expected):
        rule = rules[result["ruleIndex"]]
        location = result["locations"][0]["physicalLocation"]
        got = {
            "file": urllib.parse.unquote(location["artifactLocation"]["uri"][len("file://"):]),
            "line": location["region"]["startLine"],
            "severity": result["level"],
            "rule": result["ruleId"],
            "message": result["message"]["text"],
        }
        if got != want or rule["id"] != want["rule"]:
            fail("SARIF result %s, expected %s (rule %s)" % (got, want, rule["id"]))
        if rule["defaultConfiguration"]["level"] != result["level"]:
            fail("rule %s: default level %s, finding %s"
                 % (rule["id"], rule["defaultConfiguration"]["level"], result["level"]))
        if not rule["shortDescription"]["text"]:
            fail("rule %s has no description" % rule["id"])
    if run_["invocations"][0]["executionSuccessful"] is not True:
        fail("a run that read every file is not successful")

# File names as given, relative and absolute, whatever their bytes.
names = [b"a b.adm", b"c:d%25.adm", "\u00e9t\u00e9.adm".encode("utf-8")]
for name in names:
    open(os.path.join(work.encode(), name), "wb").write(
        b"CLASS MACHINE\n CATEGORY C\n  POLICY P\n  END POLICY\n END CATEGORY\n")
absolute = os.path.join(work.encode(), names[0])
status, out, _ = run("lint", "--format", "sarif", *names, absolute, cwd=work)
log = parse_json("lint --format sarif of odd names", out)
if log is not None and validate("odd names", log):
    uris = [r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"]
            for r in log["runs"][0]["results"]]
    decoded = [urllib.parse.unquote_to_bytes(uri) for uri in uris]
    if decoded != names + [b"file://" + absolute]:
        fail("URIs %s do not give back the names %s" % (uris, names))
status, out, _ = run("lint", "--format", "json", *names, cwd=work)
objects = parse_json("lint --format json of odd names", out) or []
files = [o["file"] for o in objects]
if files != ["a b.adm", "c:d%25.adm", "\u00e9t\u00e9.adm"]:
    fail("JSON file names: %s" % files)
# A name that is not UTF-8 (which the read cannot open) is still told in UTF-8.
status, out, _ = run("check", "--format", "json", b"bad\xff.adm", cwd=work)
objects = parse_json("check --format json of a name that is not UTF-8", out) or [{}]
if status != 1 or objects[0].get("file") != "bad\ufffd.adm":
    fail("check --format json of a name that is not UTF-8: %s" % objects)

# A file that cannot be read fails the run; a clean ADMX set beside it adds nothing.
admx = os.path.join(os.path.dirname(os.path.abspath(__file__)), "admx-lint", "clean", "lint.admx")
status, out, err = run("lint", "--format", "sarif", os.path.join(work, "missing.adm"), admx)
log = parse_json("lint --format sarif of a missing file", out)
if status != 1 or b"No such file or directory" not in err:
    fail("lint of a missing file: exit %d, %r" % (status, err))
if log is not None and validate("missing file", log):
    invocation = log["runs"][0]["invocations"][0]
    levels = [n["level"] for n in invocation.get("toolExecutionNotifications", [])]
    if invocation["executionSuccessful"] or levels != ["error"] or log["runs"][0]["results"]:
        fail("missing file and ADMX file: %s" % json.dumps(log["runs"][0]))
status, out, err = run("lint", "--werror", admx)
if status != 0 or out:
    fail("lint of a clean ADMX set: exit %d, %r %r" % (status, out, err))

# The MDM profile: its findings as JSON and SARIF, an unused namespace raised to an error
# there while the rule's own level stays a warning.
unused = os.path.join(os.path.dirname(admx), "..", "admx-unused-namespace", "lint.admx")
status, out, _ = run("lint", "--profile", "mdm", "--format", "json", unused)
got = [(o["line"], o["severity"], o["rule"]) for o in parse_json("lint --profile mdm", out) or []]
if status != 1 or got != [(5, "warning", "mdm-prerequisite"), (6, "error", "admx-unused-namespace")]:
    fail("lint --profile mdm --format json: exit %d, %s" % (status, got))
status, out, _ = run("lint", "--profile=mdm", "--format", "sarif", unused)
log = parse_json("lint --profile mdm --format sarif", out)
if log is not None and validate("MDM profile", log):
    run_ = log["runs"][0]
    levels = {r["ruleId"]: r["level"] for r in run_["results"]}
    rules = {r["id"]: r["defaultConfiguration"]["level"] for r in run_["tool"]["driver"]["rules"]}
    if levels != {"mdm-prerequisite": "warning", "admx-unused-namespace": "error"} or \
            rules.get("admx-unused-namespace") != "warning" or "mdm-blocked-key" not in rules:
        fail("lint --profile mdm --format sarif: %s, rules %s" % (levels, rules))
status, _, _ = run("lint", "--profile", "intune", admx)
if status != 2:
    fail("lint --profile with an unknown profile: exit %d, expected 2" % status)

# check: the read's messages with their lines, nothing on standard error.
open_category = os.path.join(work, "open.adm")
open(open_category, "wb").write(b'CLASS MACHINE\r\n  CATEGORY "Cat"\r\n')
status, out, err = run("check", "--format", "json", open_category)
want = [{"file": open_category, "line": 2, "severity": "error", "rule": "read-message",
         "message": "Unexpected end of template file while reading category Cat"}]
if (status, err, parse_json("check --format json", out)) != (0, b"", want):
    fail("check --format json: exit %d, %r %r" % (status, out, err))
status, out, err = run("check", "--format=json", os.path.join(work, "missing.adm"))
objects = parse_json("check of a missing file", out) or [{}]
if status != 1 or err or objects[0].get("rule") != "read-failed" or objects[0].get("line") is not None:
    fail("check --format json of a missing file: exit %d, %r %r" % (status, out, err))
status, out, _ = run("check", "--format", "json", every.replace("every-rule", "a b"))
if (status, out) != (0, b"[]\n"):
    fail("check --format json of a clean file: exit %d, %r" % (status, out))

# find: the text's line, and the path and key apart.
status, out, _ = run("find", "--key", "--format", "json", "D2", every)
objects = parse_json("find --format json", out) or []
if status != 0 or [(o["line"], o["path"], o["key"], o["rule"]) for o in objects] != [
        (21, "MACHINE > Cat > Items > D2", "Software\\Test\\d2", "find")]:
    fail("find --format json: exit %d, %s" % (status, objects))
status, text_out, _ = run("find", "--key", "D2", every)
if text_out.decode() != "%s:21: %s\n" % (every, objects[0]["message"] if objects else ""):
    fail("find text and JSON disagree: %r" % text_out)
status, out, _ = run("find", "--format", "json", "nothing such", every)
if (status, out) != (1, b"[]\n"):
    fail("find --format json without a match: exit %d, %r" % (status, out))

# Wrong usage.
for args in (["lint", "--format", "xml", every], ["lint", every, "--format"],
             ["check", "--format", "sarif", every], ["find", "--format", "sarif", "p", every]):
    status, _, _ = run(*args)
    if status != 2:
        fail("%s: exit %d, expected 2" % (" ".join(args[:3]), status))

if CORPUS and os.path.isdir(CORPUS):
    templates = sorted(glob.glob(os.path.join(CORPUS, "*.adm")))
    status, out, _ = run("lint", "--format", "sarif", *templates)
    _, text, _ = run("lint", *templates)
    log = parse_json("lint --format sarif of the corpus", out)
    if log is not None and validate("corpus", log):
        if len(log["runs"][0]["results"]) != len(text.splitlines()):
            fail("corpus: %d results for %d text lines"
                 % (len(log["runs"][0]["results"]), len(text.splitlines())))
else:
    print("corpus folder absent: real-world templates skipped")

if failures:
    print("%d failed" % len(failures))
    sys.exit(1)
print("formats: all checks passed")
