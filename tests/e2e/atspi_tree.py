#!/usr/bin/python3
# Prints the shown windows of the program named by the last argument as a screen reader reads
# them over AT-SPI: one line per shown object, indented by its depth, with its role and "name",
# then = "text" or = value where it has one, and a "*" in front where it has the focus. With
# --names first, prints instead each change of a name that the program announces, as it comes,
# until it is ended.
import sys

import pyatspi


def line(node):
    says = pyatspi.listInterfaces(node)
    text = f'{"* " * node.getState().contains(pyatspi.STATE_FOCUSED)}{node.getRoleName()} "{node.name}"'
    if "Text" in says and node.getRole() != pyatspi.ROLE_LABEL:
        text += f' = "{node.queryText().getText(0, -1)}"'
    if "Value" in says:
        text += f" = {node.queryValue().currentValue:g}"
    return text.replace("\r", "").replace("\n", "\\n")


def walk(node, depth):
    if node.getState().contains(pyatspi.STATE_SHOWING):
        print("  " * depth + line(node))
        for child in node:
            walk(child, depth + 1)


def announced(event):
    try:
        if event.host_application.name == sys.argv[-1]:
            print(line(event.source), flush=True)
    except Exception:  # gone before it could be asked (the Save dialog's objects)
        pass


if sys.argv[1] == "--names":
    pyatspi.Registry.registerEventListener(announced, "object:property-change:accessible-name")
    pyatspi.Registry.start()
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == sys.argv[-1]:
        for window in app:
            walk(window, 0)
