#!/usr/bin/python3
"""Prints the AT-SPI tree of the running Quorvane, as a screen reader sees it.

Each line is a node: its role and its name, indented by depth. Nodes whose
role is that of a control a learner uses but which have no name are marked
"<-- no name"; the exit status is the number of such nodes.
"""
import sys

import pyatspi

CONTROLS = {
    "frame", "window", "menu bar", "menu", "popup menu", "menu item", "push button",
    "toggle button", "check box", "slider", "tree", "tree table", "text", "animation",
    "status bar", "check menu item", "radio menu item",
}


def walk(node, depth, faults):
    try:
        role = node.getRoleName()
        name = node.name or ""
        states = node.getState()
    except Exception:  # a node that vanished while walking
        return
    if not states.contains(pyatspi.STATE_SHOWING) and depth > 1:
        return
    unnamed = role in CONTROLS and not name.strip()
    if unnamed:
        faults.append(role)
    print("  " * depth + f"{role}: {name}" + ("  <-- no name" if unnamed else ""))
    for child in node:
        if child is not None:
            walk(child, depth + 1, faults)


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    faults = []
    found = False
    for application in desktop:
        if application is not None and application.name.lower().startswith("quorvane"):
            found = True
            walk(application, 0, faults)
    if not found:
        print("Quorvane is not on the accessibility bus", file=sys.stderr)
        return 100
    return len(faults)


if __name__ == "__main__":
    sys.exit(main())
