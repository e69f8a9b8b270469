#!/usr/bin/env python3
"""Checks the include graph of the layer and the dialog.

A header and the source of the same name are one module. Fails (exit 1) when modules of
platform/ or of dialog/ include each other in a circle, or when a platform/ folder includes a
folder that comes after it in the order below (dependencies point one way).
    tools/include_graph.py [--print]
"""
import os
import re
import sys

ORDER = ["core", "text", "kernel", "files", "ports", "comm", "logview", "ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def modules(top, folder):
    graph = {}
    for dirpath, _, files in os.walk(os.path.join(top, folder)):
        for f in files:
            if not f.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(dirpath, f), top)
            node = os.path.splitext(path)[0]
            with open(os.path.join(top, path), encoding="utf-8", errors="replace") as fh:
                deps = {os.path.splitext(i)[0] for i in INCLUDE.findall(fh.read())}
            graph.setdefault(node, set()).update(d for d in deps if d != node)
    return graph


def cycles(graph):
    """Strongly connected components with more than one module (Tarjan)."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph.get(v, ()):
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


def folder_of(node):
    parts = node.split("/")
    return parts[1] if len(parts) > 2 and parts[0] == "platform" else None


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    bad = 0
    for folder in ("platform", "dialog"):
        for comp in cycles(modules(top, folder)):
            print("circle:", " ".join(comp))
            bad += 1
    graph = modules(top, "platform")
    for node, deps in sorted(graph.items()):
        src = folder_of(node)
        for d in sorted(deps):
            dst = folder_of(d)
            if src in ORDER and dst in ORDER and ORDER.index(dst) > ORDER.index(src):
                print(f"upward: {node} -> {d}")
                bad += 1
    if "--print" in sys.argv:
        for node, deps in sorted(graph.items()):
            print(node, "->", " ".join(sorted(d for d in deps if d in graph)))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
