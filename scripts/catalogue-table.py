#!/usr/bin/env python3
"""Turns the catalogues' translations of the core's messages (the context
qvl::Messages of each resources/i18n/quovel-pm_CODE.ts) into the C++ table
that src/model/qvl_messages.cpp includes, so that the core and qvl speak every
language without Qt. A translation lupdate marks unfinished, obsolete or
vanished is left out, as lrelease leaves it out of the window's.

Usage: catalogue-table.py OUT.inc CATALOGUE.ts...
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

CONTEXT = "qvl::Messages"


def text_of(element):
    """The element's text with lupdate's <byte value="xd"/> for characters
    XML cannot hold."""
    if element is None:
        return ""
    parts = [element.text or ""]
    for child in element:
        if child.tag == "byte":
            value = child.get("value")
            parts.append(chr(int(value[1:], 16) if value.startswith("x") else int(value)))
        else:
            parts.append(text_of(child))
        parts.append(child.tail or "")
    return "".join(parts)


def literal(text):
    out = ['"']
    for ch in text:
        if ch in '"\\':
            out.append("\\" + ch)
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\t":
            out.append("\\t")
        elif ord(ch) < 0x20 or ch == "\x7f":
            out.append(f"\\{ord(ch):03o}")
        else:
            out.append(ch)
    out.append('"')
    return "".join(out)


def translations(path):
    entries = []
    for context in ET.parse(path).getroot().iter("context"):
        if context.findtext("name") != CONTEXT:
            continue
        for message in context.iter("message"):
            translation = message.find("translation")
            if translation is None or translation.get("type") in ("unfinished", "obsolete", "vanished"):
                continue
            text = text_of(translation)
            if not text:
                continue
            entries.append((text_of(message.find("source")), message.findtext("comment") or "", text))
    # The same order as the table's lookup: by UTF-8 bytes, source first.
    entries.sort(key=lambda e: (e[0].encode(), e[1].encode()))
    return entries


def main():
    out, catalogues = sys.argv[1], sys.argv[2:]
    lines = ["// Made from the catalogues in resources/i18n by scripts/catalogue-table.py;",
             "// edit the catalogues, not this file.",
             "namespace qvl {", "namespace {", ""]
    table = []
    for path in sorted(catalogues):
        match = re.fullmatch(r"quovel-pm_(\w+)\.ts", os.path.basename(path))
        if not match:
            raise SystemExit(f"{path}: a catalogue is named quovel-pm_CODE.ts")
        code = match.group(1)
        entries = translations(path)
        if entries:
            lines.append(f"constexpr translation_t kCatalogue_{code}[] = {{")
            lines += [f"    {{{literal(s)}, {literal(d)}, {literal(t)}}}," for s, d, t in entries]
            lines += ["};", ""]
            table.append(f'    {{"{code}", std::begin(kCatalogue_{code}), std::end(kCatalogue_{code})}},')
        else:
            table.append(f'    {{"{code}", nullptr, nullptr}},')
    lines.append(f"constexpr std::array<catalogue_t, {len(table)}> kCatalogues{{{{")
    lines += table
    lines += ["}};", "", "}  // namespace", "}  // namespace qvl", ""]
    text = "\n".join(lines)
    # Unchanged output keeps its time stamp, so nothing is rebuilt for it.
    try:
        with open(out, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main()
