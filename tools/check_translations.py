#!/usr/bin/env python3
"""Checks the English translation against the sources.

    tools/check_translations.py LUPDATE TS_FILE SOURCE_DIR

Reads the marked texts of the sources again with lupdate (into a copy of TS_FILE, with the
options the build uses) and fails (exit 1) when
- a marked text is missing from TS_FILE (lupdate would add it), or TS_FILE holds one that no
  source marks any more;
- a text is unfinished, empty, or still holds Chinese;
- a Chinese text in the sources is not marked (font names and the port's state, which is
  compared and never shown, are no texts; any other line that shows no text says so with a
  "// not translated" comment);
- a translation changes the format directives (%s, %d, %lld, %%, ...), drops the shortcut after
  a tab, or drops the "..." of a text that opens a box.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ALIASES = "translate+=AfxTr,translate+=AfxTrUtf8,QT_TRANSLATE_NOOP+=TR_NOOP"
FOLDERS = ["app", "options", "script", "plot", "dialog", "res", "serial", "convert", "platform"]
DIRECTIVE = re.compile(r"%[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z)?[diouxXcsfgeEp%]")
CHINESE = re.compile(r"[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef]")


def messages(path):
    """{(context, source): (translation, unfinished)}"""
    found = {}
    for ctx in ET.parse(path).getroot().iter("context"):
        name = ctx.findtext("name")
        for msg in ctx.iter("message"):
            tr = msg.find("translation")
            kind = tr.get("type", "") if tr is not None else "unfinished"
            found[(name, msg.findtext("source"))] = (tr.text or "" if tr is not None else "",
                                                    kind in ("unfinished", "vanished", "obsolete"))
    return found


# A font's name, and the port's state kept as text (compared, never shown), are no texts.
FONT_FACES = {'"宋体"', '"新宋体"'}
PORT_STATE = re.compile(r"m_strPortState\s*(?:==|!=|=|\()\s*$")
MARK = re.compile(r'(?:AfxTr|AfxTrUtf8|TR_NOOP|QT_TRANSLATE_NOOP)\s*\(\s*"[^"]*"\s*,\s*$')


def literals(text):
    """(offset, literal) of each string literal outside comments, adjacent ones joined."""
    found, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            i = text.find("*/", i)
            i = n if i < 0 else i + 2
        elif c == "'":
            i += 1
            while i < n and text[i] != "'":
                i += 2 if text[i] == "\\" else 1
            i += 1
        elif c == '"':
            start = i
            i += 1
            while i < n and text[i] != '"':
                i += 2 if text[i] == "\\" else 1
            i += 1
            if found and not text[found[-1][0] + len(found[-1][1]):start].strip():
                found[-1] = (found[-1][0], text[found[-1][0]:i])
            else:
                found.append((start, text[start:i]))
        else:
            i += 1
    return found


def unmarked(top):
    """"file:line: literal" for each Chinese literal that is not marked for translation."""
    out = []
    for folder in FOLDERS:
        for path in sorted(glob.glob(os.path.join(top, folder, "**", "*.*"), recursive=True)):
            if not path.endswith((".cpp", ".h")):
                continue
            with open(path, encoding="utf-8") as fh:
                text = fh.read()
            for offset, lit in literals(text):
                before = text[max(0, offset - 120):offset]
                if (not CHINESE.search(lit) or lit in FONT_FACES or MARK.search(before)
                        or PORT_STATE.search(before)):
                    continue
                line_start = text.rfind("\n", 0, offset) + 1
                line_end = text.find("\n", offset)
                if "// not translated" in text[line_start:line_end]:
                    continue
                out.append("%s:%d: %s is not marked for translation"
                           % (os.path.relpath(path, top), text.count("\n", 0, offset) + 1, lit))
    return out


def problems(context, source, text):
    why = []
    if CHINESE.search(text):
        why.append("still holds Chinese")
    if DIRECTIVE.findall(source) != DIRECTIVE.findall(text):
        why.append("format directives %s, the source has %s"
                   % (DIRECTIVE.findall(text), DIRECTIVE.findall(source)))
    if "\t" in source and source.split("\t", 1)[1] != text.split("\t", 1)[-1]:
        why.append("the shortcut after the tab differs")
    if source.split("\t")[0].endswith("...") and not text.split("\t")[0].endswith("..."):
        why.append("drops the '...' of a text that opens a box")
    return why


def main():
    lupdate, ts, top = sys.argv[1:4]
    sources = [f for d in FOLDERS for f in glob.glob(os.path.join(top, d, "**", "*.cpp"),
                                                     recursive=True)]
    with tempfile.TemporaryDirectory() as tmp:
        fresh = os.path.join(tmp, os.path.basename(ts))
        shutil.copy(ts, fresh)
        listing = os.path.join(tmp, "sources.lst")
        with open(listing, "w") as fh:
            fh.write("\n".join(sources))
        subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none",
                        "-tr-function-alias", ALIASES, "@" + listing, "-ts", fresh], check=True)
        now, kept = messages(fresh), messages(ts)
    failures = unmarked(top)
    for key in sorted(set(now) - set(kept)):
        failures.append("%s: %r is marked but not in the translation" % key)
    for key in sorted(set(kept) - set(now)):
        failures.append("%s: %r is translated but no source marks it" % key)
    for (context, source), (text, unfinished) in sorted(kept.items()):
        if unfinished or not text:
            failures.append("%s: %r has no finished translation" % (context, source))
            continue
        for why in problems(context, source, text):
            failures.append("%s: %r -> %r %s" % (context, source, text, why))
    for line in failures:
        print(line)
    print("%d texts, %d problems" % (len(kept), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
