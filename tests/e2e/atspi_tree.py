"""Reads the program's window as a screen reader does, through the accessibility bus.

  atspi_tree.py dump                 prints every node: depth, role, name, description
  atspi_tree.py check-names          fails unless every push button, slider, spin arrow,
                                     text box and list has a name, unique in the window
  atspi_tree.py list-items <name>    prints the items of the list (or table) with that name
  atspi_tree.py focused              prints the name of the control with the keyboard focus
  atspi_tree.py selected-items <name>  prints its selected items
  atspi_tree.py text <name>          prints the text in the text box with that name
  atspi_tree.py name-starting <text> prints the name of the first node whose name starts so
  atspi_tree.py checked <name>       prints yes or no: whether the node (a menu item) is checked
  atspi_tree.py value <name>         prints the current value of the node (a slider)

Runs with the system's python3 (python3-pyatspi). Exits 3 while the program is not on the bus.
"""
import sys

import pyatspi

APP_NAME = "tunora"
# Roles a user acts on; each must say what it is for.
NAMED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_COMBO_BOX,
}
# Items inside lists and tables are named by their content, not by the program.
ITEM_ROLES = {pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TABLE_ROW,
              pyatspi.ROLE_TABLE_COLUMN_HEADER, pyatspi.ROLE_TABLE_ROW_HEADER, pyatspi.ROLE_TREE_ITEM}


def main_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP_NAME:
            for window in app:
                if window is not None and "Clipvane" in (window.name or ""):
                    return window
    return None


def walk(node, depth=0):
    yield depth, node
    if node.getRole() in ITEM_ROLES:
        return
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def dump(window):
    for depth, node in walk(window):
        print("%s%s %r %r" % ("  " * depth, node.getRoleName(), node.name, node.description))
    return 0


def check_names(window):
    seen = {}
    failures = []
    for _, node in walk(window):
        role = node.getRole()
        if role not in NAMED_ROLES:
            continue
        name = (node.name or "").strip()
        if not name:
            path = []
            parent = node.parent
            while parent is not None and parent != window:
                path.append("%s %r" % (parent.getRoleName(), parent.name))
                parent = parent.parent
            failures.append("%s without a name (inside %s)" % (node.getRoleName(), " < ".join(path)))
            continue
        seen.setdefault(name, []).append(node.getRoleName())
    for name, roles in sorted(seen.items()):
        if len(roles) > 1:
            failures.append("name %r is used by %d controls: %s" % (name, len(roles), ", ".join(roles)))
    for failure in failures:
        print(failure)
    print("%d named controls checked" % sum(len(r) for r in seen.values()))
    return 1 if failures else 0


def list_items(window, list_name, selected_only=False):
    for _, node in walk(window):
        if node.getRole() in NAMED_ROLES and node.name == list_name:
            for child in node:
                if child is None or child.getRole() not in ITEM_ROLES or not child.name:
                    continue
                if selected_only and not child.getState().contains(pyatspi.STATE_SELECTED):
                    continue
                print(child.name)
            return 0
    print("no list named %r" % list_name, file=sys.stderr)
    return 1


def focused(window):
    # Controls only: an item keeps its focused state after its list has lost the focus.
    for _, node in walk(window):
        if node.getRole() not in ITEM_ROLES and node.getState().contains(pyatspi.STATE_FOCUSED):
            print(node.name)
            return 0
    return 1


def text_of(window, box_name):
    for _, node in walk(window):
        if node.getRole() in NAMED_ROLES and node.name == box_name:
            print(node.queryText().getText(0, -1))
            return 0
    print("no text box named %r" % box_name, file=sys.stderr)
    return 1


def find(window, name):
    for _, node in walk(window):
        if node.name == name:
            return node
    print("no node named %r" % name, file=sys.stderr)
    return None


def name_starting(window, prefix):
    for _, node in walk(window):
        if (node.name or "").startswith(prefix):
            print(node.name)
            return 0
    print("no node's name starts with %r" % prefix, file=sys.stderr)
    return 1


def checked(window, name):
    node = find(window, name)
    if node is None:
        return 1
    print("yes" if node.getState().contains(pyatspi.STATE_CHECKED) else "no")
    return 0


def value(window, name):
    node = find(window, name)
    if node is None:
        return 1
    print("%g" % node.queryValue().currentValue)
    return 0


def run():
    window = main_window()
    if window is None:
        return 3
    command = sys.argv[1]
    if command == "dump":
        return dump(window)
    if command == "check-names":
        return check_names(window)
    if command == "list-items":
        return list_items(window, sys.argv[2])
    if command == "focused":
        return focused(window)
    if command == "text":
        return text_of(window, sys.argv[2])
    if command == "selected-items":
        return list_items(window, sys.argv[2], selected_only=True)
    if command == "name-starting":
        return name_starting(window, sys.argv[2])
    if command == "checked":
        return checked(window, sys.argv[2])
    if command == "value":
        return value(window, sys.argv[2])
    print("unknown command %r" % command, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(run())
