#!/usr/bin/env python3
"""Checks every language's catalog in po/ against the template and against its own English.

Usage: check_catalogs.py PO_FOLDER

For each language of LINGUAS: msgfmt --check accepts it; every text of the template is in it,
translated, and none is marked fuzzy; and each translation keeps what the program relies on in
its English: the same %1..%9 and %n, the same number of mnemonics (&), the same blanks and line
ends at its two ends (the program joins texts). Prints one line per fault; exits 1 on any.
"""
import ast
import re
import subprocess
import sys
from pathlib import Path

PLACEHOLDER = re.compile(r"%[1-9n]")


def entries(path):
    """The entries of a .po file: dicts of msgctxt, msgid, msgid_plural, msgstr[...], flags."""
    found, entry, field = [], {}, None

    def close():
        nonlocal entry
        if "msgid" in entry:
            found.append(entry)
        entry = {}

    for raw in path.read_text(encoding="utf-8").splitlines():
        line = raw.strip()
        if not line:
            close()
            field = None
        elif line.startswith("#,"):
            if "msgid" in entry:
                close()
            entry.setdefault("flags", set()).update(f.strip() for f in line[2:].split(","))
        elif line.startswith("#~"):
            continue  # an obsolete entry: the program no longer has the text
        elif line.startswith("#"):
            if "msgid" in entry:
                close()
        elif line.startswith('"'):
            entry[field] += ast.literal_eval(line)
        else:
            keyword, _, value = line.partition(" ")
            if keyword in ("msgctxt", "msgid") and "msgid" in entry and field.startswith("msgstr"):
                close()
            field = keyword
            entry[field] = ast.literal_eval(value)
    close()
    return found


def key(entry):
    return (entry.get("msgctxt"), entry["msgid"])


def mnemonics(text):
    return len(re.findall(r"&(?!&)", text.replace("&&", "")))


def edges(text):
    return (re.match(r"\s*", text).group(), re.search(r"\s*$", text).group())


def faults(language, catalog, template):
    translated = {key(e): e for e in catalog if e["msgid"]}
    for wanted in template:
        if not wanted["msgid"]:
            continue
        name = f"{language}: {wanted['msgid']!r}"
        entry = translated.get(key(wanted))
        if entry is None:
            yield f"{name}: not in the catalog (run scripts/update-pot)"
            continue
        if "fuzzy" in entry.get("flags", set()):
            yield f"{name}: marked fuzzy"
        forms = [v for k, v in sorted(entry.items()) if k.startswith("msgstr")]
        if not forms or any(not form for form in forms):
            yield f"{name}: not translated"
            continue
        english = [entry["msgid"], entry.get("msgid_plural", entry["msgid"])]
        for index, form in enumerate(forms):
            source = english[min(index, 1)] if len(forms) > 1 else english[0]
            want = sorted(set(PLACEHOLDER.findall(source)))
            have = sorted(set(PLACEHOLDER.findall(form)))
            # A singular may leave out the count ("one question"); a plural never.
            if have != want and not (index == 0 and set(have) <= set(want) and len(forms) > 1):
                yield f"{name}: placeholders {have} where the English has {want}"
            if mnemonics(form) != mnemonics(source):
                yield f"{name}: {mnemonics(form)} mnemonics (&) where the English has {mnemonics(source)}"
            if edges(form) != edges(source):
                yield f"{name}: blanks or line ends at its ends differ from the English"


def main():
    folder = Path(sys.argv[1])
    template = entries(folder / "vexlor.pot")
    languages = [line.strip() for line in (folder / "LINGUAS").read_text().splitlines()
                 if line.strip() and not line.startswith("#")]
    problems = []
    for language in languages:
        po = folder / f"{language}.po"
        check = subprocess.run(["msgfmt", "--check", "--output-file=/dev/null", str(po)],
                               capture_output=True, text=True)
        if check.returncode != 0:
            problems.append(f"{language}: msgfmt --check refuses it:\n{check.stderr}")
        problems += faults(language, entries(po), template)
    for problem in problems:
        print(problem)
    print(f"{len(languages)} catalogs, {len(template) - 1} texts, {len(problems)} faults")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
