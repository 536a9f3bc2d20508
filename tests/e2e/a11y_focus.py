#!/usr/bin/python3
"""Prints, one line each and as they come, the objects of the programs on the accessibility bus that
a screen reader is told have gained the focus:

    <role>|<name>|<names of its named ancestors, innermost first, joined by ">">

until it is stopped. Started before the program, so that the program knows from its start that
someone listens. usage: a11y_focus.py"""
import sys

import pyatspi


def ancestors(acc):
    names = []
    try:
        parent = acc.parent
        while parent is not None and parent.getRoleName() != "application":
            if parent.name:
                names.append(parent.name)
            parent = parent.parent
    except Exception:
        pass
    return ">".join(names)


def main():
    if len(sys.argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2

    def gained(event):
        try:
            if event.detail1 != 1:
                return
            print("%s|%s|%s" % (event.source.getRoleName(), event.source.name,
                                ancestors(event.source)), flush=True)
        except Exception:
            pass

    pyatspi.Registry.registerEventListener(gained, "object:state-changed:focused")
    print("listening", flush=True)
    pyatspi.Registry.start()
    return 0


if __name__ == "__main__":
    sys.exit(main())
