#!/usr/bin/python3
"""Prints what the accessibility bus shows of one running program, one line per object:

    <depth spaces><role>|<name>|<text>[|focused][|selected]

and for every table, under a line "table|<name>|<rows>x<columns>", its column headers and then its
rows, one line each, joined by tabs: the column header line starts with an empty field where the
row headers stand, and each row with its header, unless no row header has a name. Headers are read as a screen reader reads them,
falling back to the table's descriptions; a cell that says it has the focus ends in "*". With
--tables only the tables are printed.

usage: a11y_dump.py PID [--tables] [--wait SECONDS]
Waits until the program shows up on the bus (Qt registers its bridge shortly after start)."""
import sys
import time

import pyatspi


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, -1)
    except NotImplementedError:
        return ""
    except Exception:
        return ""


def state_marks(acc):
    """"|focused" and "|selected" after an object in either state, as screen readers read them."""
    try:
        states = acc.getState()
    except Exception:
        return ""
    return "".join("|" + name for name, state in (("focused", pyatspi.STATE_FOCUSED),
                                                   ("selected", pyatspi.STATE_SELECTED))
                   if states.contains(state))


def header_name(header, describe, index):
    try:
        cell = header(index)
        return cell.name if cell is not None else describe(index)
    except Exception:
        return ""


def table_rows(acc):
    try:
        table = acc.queryTable()
    except NotImplementedError:
        return None
    rows = [[""] + [header_name(table.getColumnHeader, table.getColumnDescription, c)
                    for c in range(table.nColumns)]]
    for r in range(table.nRows):
        cells = [header_name(table.getRowHeader, table.getRowDescription, r)]
        for c in range(table.nColumns):
            cell = table.getAccessibleAt(r, c)
            text = "" if cell is None else (cell.name or text_of(cell))
            cells.append(text + ("*" if cell is not None and "focused" in state_marks(cell) else ""))
        rows.append(cells)
    return rows


def walk(acc, depth, tables_only, out, seen):
    if acc is None or len(seen) > 20000:
        return
    key = (acc.path if hasattr(acc, "path") else id(acc))
    if key in seen:
        return
    seen.add(key)
    role = acc.getRoleName()
    rows = table_rows(acc) if role in ("table", "tree table") else None
    if rows is not None:
        out.append("table|%s|%dx%d" % (acc.name, len(rows) - 1, len(rows[0]) - 1))
        # Rows whose headers have no names (their first column names them) are printed without.
        if not any(cells[0] for cells in rows):
            rows = [cells[1:] for cells in rows]
        out.extend("\t".join(cells) for cells in rows)
        return
    if not tables_only:
        out.append("%s%s|%s|%s%s" % (" " * depth, role, acc.name, text_of(acc).replace("\n", "\\n"),
                                     state_marks(acc)))
    for i in range(acc.childCount):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, depth + 1, tables_only, out, seen)


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    pid = int(args[0])
    tables_only = "--tables" in args
    wait = float(args[args.index("--wait") + 1]) if "--wait" in args else 10.0
    deadline = time.monotonic() + wait
    app = find_app(pid)
    while app is None and time.monotonic() < deadline:
        time.sleep(0.1)
        app = find_app(pid)
    if app is None:
        print("process %d is not on the accessibility bus" % pid, file=sys.stderr)
        return 1
    out = []
    walk(app, 0, tables_only, out, set())
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
