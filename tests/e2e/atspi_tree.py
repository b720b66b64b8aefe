#!/usr/bin/python3
"""Prints the shown windows of the program named $1 as a screen reader reads them over AT-SPI:
one line per shown object, indented by its depth, with its role and "name", then "= text" or
"= value" where it has one, its actions in brackets, and a "*" in front where it has the focus.
With --names first, prints instead every change of a name that the program announces, as it
comes, until it is ended.
"""
import sys

import pyatspi


def line(node, state):
    text = f'{"* " if state.contains(pyatspi.STATE_FOCUSED) else ""}{node.getRoleName()} "{node.name}"'
    if "Text" in pyatspi.listInterfaces(node) and node.getRole() != pyatspi.ROLE_LABEL:
        content = node.queryText()
        text += f' = "{content.getText(0, content.characterCount)}"'
    if "Value" in pyatspi.listInterfaces(node):
        text += f" = {node.queryValue().currentValue:g}"
    if "Action" in pyatspi.listInterfaces(node):
        action = node.queryAction()
        text += f" [{','.join(action.getName(i) for i in range(action.nActions))}]"
    return text.replace("\r", "").replace("\n", "\\n")


def walk(node, depth):
    state = node.getState()
    if not state.contains(pyatspi.STATE_SHOWING):
        return
    print("  " * depth + line(node, state))
    for child in node:
        walk(child, depth + 1)


def announced(event):
    try:
        if event.host_application.name == sys.argv[-1]:
            print(f'{event.source.getRoleName()} "{event.source.name}"', flush=True)
    except Exception:  # gone before it could be asked (the Save dialog's objects)
        pass


if sys.argv[1] == "--names":
    pyatspi.Registry.registerEventListener(announced, "object:property-change:accessible-name")
    pyatspi.Registry.start()
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == sys.argv[-1]:
        for window in app:
            walk(window, 0)
