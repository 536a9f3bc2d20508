#!/usr/bin/python3
"""Reads a picture of the main window as ImageMagick's "txt:" prints it, at a display scale, and
prints the widths in device pixels of the grid's lines, one kind a line:

    <kind> <width>[,<width>...]

where the kinds are the black rules between the header cells and under the team names, the silver
lines between and under the data cells, and the frame's four edges. Every width of one kind is
printed once, so a kind drawn as wide everywhere shows one width.
usage: convert window.png txt:- | grid_lines.py SCALE"""
import re
import sys

BLACK, SILVER = (0, 0, 0), (192, 192, 192)


def runs(pixels, colour):
    out, n = [], 0
    for p in pixels:
        if p == colour:
            n += 1
        elif n:
            out.append(n)
            n = 0
    return out + ([n] if n else [])


def max_run(pixels):
    """The length and start of the longest run of one colour."""
    best, n, last = (0, 0), 0, None
    for i, p in enumerate(pixels):
        n = n + 1 if p == last else 1
        last = p
        best = max(best, (n, i - n + 1))
    return best


def main():
    scale = float(sys.argv[1])
    px = {}
    for line in sys.stdin:
        m = re.match(r"(\d+),(\d+): \((\d+),(\d+),(\d+)", line)
        if m:
            x, y, r, g, b = map(int, m.groups())
            px[(x, y)] = (r, g, b)
    width = max(x for x, _ in px) + 1
    height = max(y for _, y in px) + 1
    row = lambda y, x0=0, x1=width: [px.get((x, y)) for x in range(x0, x1)]
    col = lambda x, y0=0, y1=height: [px.get((x, y)) for y in range(y0, y1)]
    # The grid's frame: its left edge is the first line of one colour as high as the grid, in
    # whatever colours the style gives it.
    left = next(x for x in range(width) if 100 * scale < max_run(col(x))[0] < 140 * scale)
    top = max_run(col(left))[1]
    # Its dark top and left edges stop one pixel short of its right and bottom ends.
    right = left + max_run(row(top, left))[0] + 1
    bottom = top + max_run(col(left, top))[0] + 1
    middle = top + round(60 * scale)
    dark, shadow = px[(left, middle)], px[(left + 1, middle)]
    light, midlight = px[(right - 1, middle)], px[(right - 2, middle)]
    at = lambda logical, origin: origin + int(logical * scale)  # a line 21 pixels into a cell
    kinds = {
        "header-rules": runs(row(at(23, top), left, right), BLACK),
        "data-lines-across": runs(row(at(73, top), left, right), SILVER),
        "team-rules": runs(col(at(82, left), top, bottom), BLACK),
        "data-lines-down": runs(col(at(197, left), top, bottom), SILVER),
        "frame-left": runs(row(middle, left, left + 4), dark) + runs(row(middle, left, left + 4), shadow),
        "frame-top": runs(col(at(60, left), top, top + 4), dark) + runs(col(at(60, left), top, top + 4), shadow),
        "frame-right": runs(row(middle, right - 4, right), light) + runs(row(middle, right - 4, right), midlight),
        "frame-bottom": runs(col(at(60, left), bottom - 4, bottom), light)
        + runs(col(at(60, left), bottom - 4, bottom), midlight),
    }
    for kind, widths in kinds.items():
        print(kind, ",".join(str(w) for w in sorted(set(widths))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
