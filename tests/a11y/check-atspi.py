#!/usr/bin/env python3
"""Vorin 99 through AT-SPI alone, as a screen reader user drives it.

Starts the program with TREE as a drive of its own, collects the statistics
with the buttons of the statistics window and the wizard, and reads back the
drive lists with the folder's row and its tick, the notebook's page tabs and
the Types listing as a table, whose figures are counted here from the tree.
A failure prints the part of the accessible tree in question (roles, names,
states of what is on screen); the checks that do not need it still run.

    check-atspi.py VORIN99 TREE
"""
import os
import re
import signal
import subprocess
import sys
import time

import pyatspi

# Seconds to wait for what a window shows once it is up; the program's start
# and the scan take well under one each here, a slow machine gets more.
WAIT = 10
SLOW_WAIT = 60


class Failure(Exception):
    """A check that failed, with the part of the tree that shows why."""

    def __init__(self, message, where):
        super().__init__(message)
        self.where = where


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def has(acc, state):
    return acc.getState().contains(state)


def describe(acc):
    states = sorted(pyatspi.stateToString(s) for s in acc.getState().getStates())
    return f"[{acc.getRoleName()}] {acc.name!r} {{{', '.join(states)}}}"


def dump(acc, depth=0):
    print("  " * depth + describe(acc))
    hidden = 0
    for child in children(acc):
        if has(child, pyatspi.STATE_SHOWING):
            dump(child, depth + 1)
        else:
            hidden += 1
    if hidden:
        print("  " * (depth + 1) + f"(and {hidden} not showing)")


def find(root, role, name=None):
    """The first object of the role on screen under root; name is a text or a
    test. A list's rows count whether or not they are scrolled into view."""
    for child in children(root):
        if not has(child, pyatspi.STATE_SHOWING) and root.getRole() != pyatspi.ROLE_LIST:
            continue  # hidden pages and panels hold the same captions
        if child.getRole() == role and (
                name is None or (name(child.name) if callable(name) else child.name == name)):
            return child
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def wait_for(what, probe, where, timeout=WAIT):
    """Asks probe until it answers; the tree changes under a running scan, so
    an error on the way is asked again rather than taken as the answer."""
    deadline = time.monotonic() + timeout
    problem = ""
    while time.monotonic() < deadline:
        try:
            answer = probe()
            if answer:
                return answer
        except Exception as e:  # GLib.Error: an object went away while asked
            problem = f" (last error: {e})"
        time.sleep(0.2)
    raise Failure(f"no {what} within {timeout} s{problem}", where)


def actions(acc):
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return None, []
    return action, [action.getName(i) for i in range(action.nActions)]


def act(acc, *names):
    """Does the first of the named actions that acc offers, as a screen reader would."""
    action, offered = actions(acc)
    name = next((name for name in names if name in offered), None)
    if name is None:
        raise Failure(f"{describe(acc)} offers the actions {offered}, none of {names}", acc)
    action.doAction(offered.index(name))
    print(f"  {name}: {describe(acc)}")


def press(root, role, name):
    what = f"{str(role)[5:].lower().replace('_', ' ')} {name!r}"
    act(wait_for(what, lambda: find(root, role, name), root), "Press", "Toggle")


def check_drive_list(window, tree, ticked):
    """The folder's row in the window's drive list, ticked or not."""
    entry = re.compile(r"[a-z]: \[" + re.escape(tree) + r"\]")
    item = wait_for(f"list item 'x: [{tree}]'",
                    lambda: find(window, pyatspi.ROLE_LIST_ITEM, entry.match), window)
    drives = item.parent
    print(f"  {describe(drives)} of {drives.childCount}: {describe(item)}, "
          f"actions {actions(item)[1]}")
    # Qt 6.4's bridge does not pass the checkable state on; the Toggle action
    # tells a screen reader the same.
    checkable = has(item, pyatspi.STATE_CHECKABLE) or "Toggle" in actions(item)[1]
    if (drives.getRole() != pyatspi.ROLE_LIST or not checkable
            or has(item, pyatspi.STATE_CHECKED) != ticked):
        raise Failure(f"the folder's row should be a list's, checkable and "
                      f"{'' if ticked else 'not '}checked", drives)


def select_page(statistics, caption):
    tabs = wait_for("page tab list", lambda: find(statistics, pyatspi.ROLE_PAGE_TAB_LIST),
                    statistics)
    captions = [child.name for child in children(tabs)]
    print(f"  page tabs: {captions}")
    if caption not in captions:
        raise Failure(f"no page tab {caption!r}", tabs)
    index = captions.index(caption)
    tab = tabs.getChildAtIndex(index)
    try:
        print(f"  Selection.selectChild({index}): {tabs.querySelection().selectChild(index)}")
    except NotImplementedError:  # Qt before 6.5 offers no Selection over AT-SPI
        act(tab, "Press")
    wait_for(f"selected page tab {caption!r}", lambda: has(tab, pyatspi.STATE_SELECTED), tabs)
    print(f"  {describe(tab)}")


def check_types_pie(statistics):
    """The pie of sizes: 14,096 bytes of .png in 19,018, the .log's 4 % in "Other"."""
    pie = wait_for("chart 'File types'",
                   lambda: find(statistics, pyatspi.ROLE_CHART, "File types"), statistics)
    print(f"  {describe(pie)}: {pie.description!r}")
    if not pie.description.startswith("3 slices, largest "):
        raise Failure(f"description {pie.description!r}, expected 3 slices and the largest", pie)
    table = pie.queryTable()
    rows = [[table.getAccessibleAt(row, column).name for column in range(table.nColumns)]
            for row in range(table.nRows)]
    print(f"    {rows}")
    if [row[1:] for row in rows if row[1] == "14,096 bytes"] != [["14,096 bytes", "74.1 %"]]:
        raise Failure(f"no slice of 14,096 bytes (74.1 %) among {rows}", pie)
    if rows[-1][0] != "Other":
        raise Failure(f"last slice {rows[-1]}, expected 'Other'", pie)


def check_types_table(statistics, tree):
    press(statistics, pyatspi.ROLE_RADIO_BUTTON, "Listing")
    grid = wait_for("table", lambda: find(statistics, pyatspi.ROLE_TABLE), statistics)
    table = grid.queryTable()

    def heading(column):
        header = table.getColumnHeader(column)
        return header.name if header is not None else table.getColumnDescription(column)

    def text(row, column):
        cell = table.getAccessibleAt(row, column)
        return cell.name if cell is not None else None

    headings = [heading(column) for column in range(table.nColumns)]
    rows = [[text(row, column) for column in range(table.nColumns)] for row in range(table.nRows)]
    print(f"  {table.nRows} rows x {table.nColumns} columns: {headings}")
    for row in rows:
        print(f"    {row}")
    wanted = ["Extension", "Type", "Size", "# Files", "Avg File Size"]
    if headings[:len(wanted)] != wanted:
        raise Failure(f"column headers {headings}, expected {wanted}", grid)

    # Files and bytes per extension, as the page counts them, then its figures.
    types = {}
    for folder, _, files in os.walk(tree):
        for name in files:
            key = os.path.splitext(name)[1].upper()
            count, size = types.get(key, (0, 0))
            types[key] = (count + 1, size + os.lstat(os.path.join(folder, name)).st_size)
    by_key = {row[0]: row[2:5] for row in rows}
    for key, (count, size) in sorted(types.items()):
        average = (2 * size + count) // (2 * count)  # rounded half up, as the page does
        expected = [f"{size:,}", f"{count:,}", f"{average:,}"]
        if by_key.get(key) != expected:
            raise Failure(f"{key}: size, files, average {by_key.get(key)}, expected {expected}",
                          grid)
    expected = [f"{sum(size for _, size in types.values()):,}",
                f"{sum(count for count, _ in types.values()):,}"]
    if not any(row[1] == "Totals" and row[2:4] == expected for row in rows):
        raise Failure(f"no Totals row with size and files {expected}", grid)
    print(f"  the {len(types)} types of the tree and the totals, as counted here")


def report(failures, title, error, where):
    failures.append(f"{title}: {error}")
    print(f"FAIL: {error}\n  the accessible tree there:")
    dump(getattr(error, "where", where))


def run(program, tree, failures):
    def step(title, check, where):
        """A check the later ones do not need: its failure is told, the run goes on."""
        print(title)
        try:
            check()
        except Exception as e:
            report(failures, title, e, where)

    vorin = subprocess.Popen([program, tree], env=dict(os.environ, QT_QPA_PLATFORM="xcb"),
                             cwd="/")
    try:
        started = time.monotonic()
        desktop = pyatspi.Registry.getDesktop(0)

        def application():
            if vorin.poll() is not None:
                sys.exit(f"FAIL: vorin99 ended by itself with status {vorin.returncode}")
            return next((app for app in children(desktop)
                         if app.get_process_id() == vorin.pid), None)

        print("The application on the accessibility bus")
        # Without a screen reader Qt registers only when told to by
        # QT_LINUX_ACCESSIBILITY_ALWAYS_ON, which the runner sets.
        app = wait_for("application of vorin99's process on the accessibility bus",
                       application, desktop, SLOW_WAIT)
        print(f"  {describe(app)} after {time.monotonic() - started:.1f} s")

        print("The statistics window from the main window")
        press(app, pyatspi.ROLE_PUSH_BUTTON, "Collect disk statistics")
        statistics = wait_for("statistics window", lambda: find(
            app, pyatspi.ROLE_DIALOG, "File Statistics Not Yet Collected"), app)
        step("The Space page's drive list: the folder's row, not ticked (the program runs in /)",
             lambda: check_drive_list(statistics, tree, ticked=False), statistics)

        print("The wizard")
        press(statistics, pyatspi.ROLE_PUSH_BUTTON, "Collect statistics")
        wizard = wait_for("wizard", lambda: find(app, pyatspi.ROLE_DIALOG,
                                                 "Which drives and file types?"), app)
        step("The wizard's drive list: the folder's row, ticked",
             lambda: check_drive_list(wizard, tree, ticked=True), wizard)
        press(wizard, pyatspi.ROLE_PUSH_BUTTON, "Next >>")
        # The second panel's Next, once that panel is on screen.
        wait_for("radio button 'All files'", lambda: find(
            wizard, pyatspi.ROLE_RADIO_BUTTON, "All files"), wizard)
        press(wizard, pyatspi.ROLE_PUSH_BUTTON, "Next >>")
        notice = wait_for("notice before the scan", lambda: find(app, pyatspi.ROLE_ALERT), app)
        print(f"  {describe(find(notice, pyatspi.ROLE_LABEL))}")
        press(notice, pyatspi.ROLE_PUSH_BUTTON, "OK")

        print("The scan")
        started = time.monotonic()
        done = wait_for("finished scan", lambda: find(
            statistics, pyatspi.ROLE_STATUS_BAR, lambda text: text.startswith("Finished")),
            statistics, SLOW_WAIT)
        print(f"  {describe(statistics)}\n  {describe(done)}"
              f" after {time.monotonic() - started:.1f} s")

        step("The Types page, its listing as a table",
             lambda: (select_page(statistics, "Types"), check_types_table(statistics, tree)),
             statistics)
        step("The Types page's pie, its slices as a table",
             lambda: (press(statistics, pyatspi.ROLE_RADIO_BUTTON, "Pie by Size"),
                      check_types_pie(statistics)), statistics)
    finally:
        vorin.terminate()
        try:
            vorin.wait(10)
        except subprocess.TimeoutExpired:
            vorin.kill()
            vorin.wait()


def main():
    program, tree = sys.argv[1:3]
    # Ended by the test's time limit: the program still goes with the script.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAIL: terminated"))
    failures = []
    try:
        run(program, tree, failures)
    except Failure as e:
        report(failures, "the run", e, e.where)
    if failures:
        print(f"{len(failures)} failed:\n  " + "\n  ".join(failures))
        return 1
    print("atspi: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
