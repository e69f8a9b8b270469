#!/usr/bin/env python3
"""Checks the include graph of the framework layer and of the application.

A module is a header with its sources: the source of the same name, and a source without a
header of its own that belongs to a header of its folder, either by name (its name is the
header's name and a suffix: `window_ops.cpp` and `window.h`, `SerialPortIo.cpp` and
`SerialPort.h`) or, failing that, because it defines the member functions of a class that
header declares (the main dialog's sources and `KIVERNDlg.h`).

Fails (exit 1) when
- modules include each other in a circle (anywhere in platform/ and the application);
- a platform/ folder includes a folder after it in PLATFORM_ORDER, or anything outside
  platform/;
- an application folder includes a folder after it in APP_ORDER (res/, the resources, comes
  first: every folder may use it), or anything of platform/ but `platform/afx.h`;
- a folder with code has no place in either order (a new folder takes its place there, and a
  README with its "may include" line).
    tools/include_graph.py [--print]   (--print lists the modules and what they include)
"""
import os
import re
import sys

PLATFORM_ORDER = ["core", "text", "lang", "kernel", "files", "ports", "comm", "logview", "ui", "plot", "app"]
APP_ORDER = ["res", "convert", "serial", "options", "script", "plot", "dialog", "app"]
APP_ENTRY = "platform/afx"  # the one platform header the application includes
NOT_PRODUCTION = {"tests", "bench", "fuzz", "tools", "docs", "packaging"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# A class or struct defined (not only declared) in a header.
CLASS = re.compile(r"^\s*(?:class|struct)\s+(\w+)\b[^;{]*\{", re.M)
# A member function defined at the start of a line: "... Class::Name(" (or "::~Name(").
MEMBER = re.compile(r"^[A-Za-z_][\w:<>,\s\*&]*?\b(\w+)::~?\w+\s*\(", re.M)


def read(top, path):
    with open(os.path.join(top, path), encoding="utf-8", errors="replace") as fh:
        return fh.read()


def owner_by_name(stem, headers):
    """The header whose name begins the source's, at a word's end ("_" or a capital)."""
    best = None
    for h in headers:
        if len(h) < len(stem) and stem.startswith(h):
            nxt = stem[len(h)]
            if (nxt == "_" or nxt.isupper()) and (best is None or len(h) > len(best)):
                best = h
    return best


def owner_by_class(text, classes):
    """The header declaring the class most of the source's member definitions belong to."""
    counts = {}
    for cls in MEMBER.findall(text):
        if cls in classes:
            counts[classes[cls]] = counts.get(classes[cls], 0) + 1
    return max(sorted(counts), key=counts.get) if counts else None


def modules(top, folders):
    """{module: set of included modules} and {source: module} for sources owned elsewhere."""
    files = []
    for folder in folders:
        for dirpath, _, names in os.walk(os.path.join(top, folder)):
            files += [os.path.relpath(os.path.join(dirpath, n), top) for n in names
                      if n.endswith((".h", ".cpp"))]
    headers = {os.path.splitext(f)[0] for f in files if f.endswith(".h")}
    owner = {}
    by_folder = {}
    for h in headers:
        by_folder.setdefault(os.path.dirname(h), []).append(h)
    for f in sorted(files):
        stem = os.path.splitext(f)[0]
        if f.endswith(".h") or stem in headers:
            continue
        near = by_folder.get(os.path.dirname(f), [])
        found = owner_by_name(stem, near)
        if not found:
            classes = {c: h for h in sorted(near) for c in CLASS.findall(read(top, h + ".h"))}
            found = owner_by_class(read(top, f), classes)
        if found:
            owner[f] = found
    graph = {}
    for f in files:
        stem = os.path.splitext(f)[0]
        node = owner.get(f, stem)
        deps = {os.path.splitext(i)[0] for i in INCLUDE.findall(read(top, f))}
        graph.setdefault(node, set()).update(d for d in deps if d != node)
    return graph, owner


def cycles(graph):
    """Strongly connected components with more than one module (Tarjan)."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in graph:
                continue
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = []
            while True:
                w = stack.pop()
                on.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                found.append(sorted(comp))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def has_code(path):
    return any(n.endswith((".h", ".cpp")) for _, _, names in os.walk(path) for n in names)


def unplaced(top):
    """Folders with code that neither order names."""
    for name in sorted(os.listdir(top)):
        path = os.path.join(top, name)
        if (os.path.isdir(path) and not name.startswith((".", "build")) and has_code(path)
                and name not in NOT_PRODUCTION and name != "platform" and name not in APP_ORDER):
            yield name
    for name in sorted(os.listdir(os.path.join(top, "platform"))):
        path = os.path.join(top, "platform", name)
        if os.path.isdir(path) and name not in PLATFORM_ORDER and has_code(path):
            yield "platform/" + name


def layer_problem(node, dep):
    """Why node may not include dep, or None."""
    parts, dparts = node.split("/"), dep.split("/")
    if parts[0] == "platform":
        if dparts[0] != "platform":
            return "outside the layer"
        src, dst = parts[1], dparts[1]
        if src in PLATFORM_ORDER and dst in PLATFORM_ORDER:
            if PLATFORM_ORDER.index(dst) > PLATFORM_ORDER.index(src):
                return "upward"
        return None
    if dparts[0] == "platform":
        return None if dep == APP_ENTRY else "platform beyond afx.h"
    if parts[0] in APP_ORDER and dparts[0] in APP_ORDER:
        if APP_ORDER.index(dparts[0]) > APP_ORDER.index(parts[0]):
            return "upward"
    return None


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    graph, owner = modules(top, ["platform"] + APP_ORDER)
    bad = 0
    for folder in unplaced(top):
        print("folder in no order:", folder)
        bad += 1
    for comp in cycles(graph):
        print("circle:", " ".join(comp))
        bad += 1
    for node, deps in sorted(graph.items()):
        for d in sorted(deps):
            why = layer_problem(node, d)
            if why:
                print(f"{why}: {node} -> {d}")
                bad += 1
    if "--print" in sys.argv:
        for f, h in sorted(owner.items()):
            print(f"module {h}: {f}")
        for node, deps in sorted(graph.items()):
            print(node, "->", " ".join(sorted(d for d in deps if d in graph)))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
