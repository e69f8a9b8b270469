#!/usr/bin/env python3
"""Shows what a screen reader sees of the terminal over AT-SPI.

Runs the terminal on a pseudo-terminal of its own (opened at start), sends it a few lines,
prints the accessible tree (role, name, label, states, text), then sends more data and prints
the text-changed events that come of it. Needs a display and a session bus:

    dbus-run-session -- xvfb-run -a /usr/bin/python3 tools/a11y_dump.py build/kivern

Needs python3-pyatspi and at-spi2-core.
"""
import os
import subprocess
import sys
import tempfile
import threading
import time

import pyatspi

SAMPLE = b"OK\r\nT=23.5 \xd6\xd0\xce\xc4\t\x01\x02\r\n"


def find_app(name, timeout=15.0):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.3)
    return None


def describe(acc):
    role = acc.getRoleName()
    line = f"{role}: {acc.name!r}"
    for rel in acc.getRelationSet():
        if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            line += f" labelled-by {rel.getTarget(0).name!r}"
    states = acc.getState()
    if not states.contains(pyatspi.STATE_ENABLED):
        line += " [disabled]"
    line += "".join(f" [{n}]" for s, n in ((pyatspi.STATE_CHECKED, "checked"),
                                          (pyatspi.STATE_EDITABLE, "editable"),
                                          (pyatspi.STATE_MULTI_LINE, "multi-line"))
                    if states.contains(s))
    try:
        text = acc.queryText()
    except NotImplementedError:
        text = None
    if text is not None and role in ("text", "entry", "paragraph", "terminal"):
        n = text.characterCount
        line += f" text[{n}]={text.getText(0, min(n, 80))!r}"
        if states.contains(pyatspi.STATE_MULTI_LINE) and n > 0:
            rows, off = [], 0
            while off < n and len(rows) < 4:
                t, s, e = text.getTextAtOffset(off, pyatspi.TEXT_BOUNDARY_LINE_START)
                if e <= off:
                    break
                rows.append(t)
                off = e
            line += f" lines={rows!r} caret={text.caretOffset}"
    return line


def dump(acc, depth=0):
    if acc is None:
        return
    states = acc.getState()
    if not states.contains(pyatspi.STATE_SHOWING) and depth > 0:
        return
    print("  " * depth + describe(acc))
    for child in acc:
        dump(child, depth + 1)


def main():
    binary = os.path.realpath(sys.argv[1] if len(sys.argv) > 1 else "build/kivern")
    master, slave = os.openpty()
    path = os.ttyname(slave)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    scratch = tempfile.mkdtemp()
    env["XDG_CONFIG_HOME"] = scratch
    app_proc = subprocess.Popen([binary, path, "--open"], cwd=scratch, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = find_app("kivern")
        if app is None:
            print("the terminal did not appear on the accessibility bus")
            return 1
        time.sleep(1.0)
        os.write(master, SAMPLE)
        time.sleep(1.0)
        dump(app)

        # A check box toggled the way a screen reader does it runs its handler: timed send.
        send = pyatspi.findDescendant(app, lambda a: a.name == "发送区")
        send.queryEditableText().setTextContents("ping")
        box = pyatspi.findDescendant(app, lambda a: a.name == "定时发送")
        tx = pyatspi.findDescendant(app, lambda a: a.name.startswith("TX:"))
        action = box.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Toggle") if "Toggle" in names else 0)
        time.sleep(2.5)
        print(f"\n定时发送 toggled over AT-SPI (actions {names}): "
              f"checked={box.getState().contains(pyatspi.STATE_CHECKED)}, {tx.name!r}")
        action.doAction(names.index("Toggle") if "Toggle" in names else 0)

        events = []
        pyatspi.Registry.registerEventListener(
            lambda e: events.append((e.type, e.detail1, e.detail2, e.any_data)),
            "object:text-changed:insert")
        def feed():
            for i in range(100):  # a burst of small deliveries
                os.write(master, b"line %d\r\n" % i)
                time.sleep(0.01)
            time.sleep(1.0)
            pyatspi.Registry.stop()
        threading.Thread(target=feed, daemon=True).start()
        pyatspi.Registry.start()
        print(f"\ntext-changed:insert events for 100 deliveries: {len(events)}")
        for kind, pos, length, data in events:
            print(f"  at {pos}, {length} characters: {str(data)[:60]!r}...")
    finally:
        app_proc.terminate()
        app_proc.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
