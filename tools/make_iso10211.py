#!/usr/bin/env python3
"""Writes the two test reference cases of EN ISO 10211 (annex A) as models:

  examples/validation/iso10211_case1.inp  half a square column, a = 1 m, with
      the top edge at 20, the left and bottom edges at 0 and the right edge
      adiabatic; the analytical solution is known.
  examples/validation/iso10211_case2.inp  a two-dimensional thermal bridge
      (an aluminium profile through insulation under a concrete layer), with
      the inside below (20 C, Rsi = 0.11) and the outside above (0 C,
      Rse = 0.06).

Grid lines lie on every material boundary and on every reference point.
Each case is also written with every cell halved in both directions
(iso10211_case1_halved.inp, ...), to show that the grid is fine enough.

Usage: make_iso10211.py [FOLDER]   (default examples/validation)
"""
import os
import sys


def write_model(path, title, materials, conditions, fixed, widths, heights, rows):
    lines = ['"%s"' % title, str(len(materials))]
    lines += ['"%s",%s' % (name, repr(k)) for name, k in materials]
    lines.append(str(len(conditions)))
    lines += ["%s,%s" % (repr(t), repr(h)) for t, h in conditions]
    lines.append(str(len(fixed)))
    lines += [repr(t) for t in fixed]
    lines.append("%d,%d" % (len(widths), len(heights)))
    lines.append(",".join(fmt_mm(w) for w in widths))
    lines.append(",".join(fmt_mm(h) for h in heights))
    lines += [",".join(row) for row in rows]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def fmt_mm(value):
    text = "%.6f" % value
    return text.rstrip("0").rstrip(".")


def halved(sizes, split):
    return [s / split for s in sizes for _ in range(split)]


def case1(folder, split, name):
    # Half a square column of side a = 1000 mm: 0 <= x <= 500, 0 <= y <= 1000.
    # Cells of 12.5 mm put a grid line on every eighth of a.
    cell = 12.5 / split
    columns = int(500 / cell)
    rows_count = int(1000 / cell)
    TOP, SIDE, CORNER = "C1", "C2", "C3"
    width = columns + 2
    rows = [[""] + [TOP] * columns + [""]]
    for r in range(rows_count):
        # The left ring column holds the edge at 0. Its first cell is the
        # only one that writes the top-left corner point last: it carries
        # the mean of the two edge temperatures that meet there.
        rows.append([CORNER if r == 0 else SIDE] + ["A1"] * columns + [""])
    rows.append([SIDE] + [SIDE] * columns + [""])
    assert all(len(r) == width for r in rows)
    write_model(os.path.join(folder, name),
                "EN ISO 10211 reference case 1: half a square column, a = 1 m",
                [("Uniform", 1.0)], [], [20.0, 0.0, 10.0],
                [cell] * columns, [cell] * rows_count, rows)


def case2(folder, split, name):
    # x from 0 (left, web) to 500; y from 0 (bottom, inside) to 47.5 (top).
    # Fine cells in and near the aluminium, where the field bends most; away
    # from the web they grow to 10 mm. Every size is an exact decimal, so
    # the grid lines fall exactly on the material boundaries.
    xs = [0.375] * 4 + [0.75] * 18 + [0.75, 1, 1.25, 1.5, 2, 2.5, 3, 4, 5, 6, 8] + [10] * 45
    ys = [0.375] * 4 + [0.75] * 2 + [1] * 32 + [0.375] * 4 + [0.625] * 8 + [0.75] * 8
    assert sum(xs) == 500 and sum(ys) == 47.5
    xs = halved(xs, split)
    ys = halved(ys, split)
    CONCRETE, WOOD, ALUMINIUM, INSULATION = 1, 2, 3, 4
    x_mid = midpoints(xs)
    y_mid = midpoints(ys)

    def material(x, y):
        if y >= 41.5:
            return CONCRETE
        if x <= 15 and 36.5 <= y:
            return WOOD
        if x <= 15 and 35 <= y <= 36.5:
            return ALUMINIUM
        if x <= 1.5 and y <= 36.5:
            return ALUMINIUM
        if y <= 1.5:
            return ALUMINIUM
        return INSULATION

    INSIDE, OUTSIDE = 1, 2
    width = len(xs) + 2
    rows = [[""] + ["B%d" % OUTSIDE] * len(xs) + [""]]
    for y in reversed(y_mid):  # top row first
        rows.append([""] + ["A%d" % material(x, y) for x in x_mid] + [""])
    rows.append([""] + ["B%d" % INSIDE] * len(xs) + [""])
    assert all(len(r) == width for r in rows)
    write_model(os.path.join(folder, name),
                "EN ISO 10211 reference case 2: two-dimensional thermal bridge",
                [("Concrete", 1.15), ("Wood", 0.12), ("Aluminium", 230.0), ("Insulation", 0.029)],
                [(20.0, 1 / 0.11), (0.0, 1 / 0.06)], [],
                xs, list(reversed(ys)), rows)


def midpoints(sizes):
    out = []
    x = 0.0
    for s in sizes:
        out.append(x + s / 2)
        x += s
    return out


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "examples/validation"
    os.makedirs(folder, exist_ok=True)
    case1(folder, 1, "iso10211_case1.inp")
    case1(folder, 2, "iso10211_case1_halved.inp")
    case2(folder, 1, "iso10211_case2.inp")
    case2(folder, 2, "iso10211_case2_halved.inp")


if __name__ == "__main__":
    main()
