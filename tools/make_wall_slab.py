#!/usr/bin/env python3
"""Writes examples/wall_slab.inp: an externally insulated masonry wall with
an intermediate concrete floor slab bearing on it, in vertical section.

Outside (left) -10 C with h = 25 W/(m2 K); both rooms (right, above and
below the slab) 20 C with h = 7.69 W/(m2 K). The top and bottom of the wall
and the far end of the slab are adiabatic cuts, 1 m from the slab.
"""
import sys

materials = [  # name, conductivity W/(m K)
    ("Render", 0.87), ("EPS insulation", 0.035), ("Masonry", 0.8),
    ("Plaster", 0.7), ("Reinforced concrete", 2.3), ("Screed", 1.4),
    ("Impact insulation", 0.04),
]
RENDER, EPS, MASONRY, PLASTER, CONCRETE, SCREED, IMPACT = range(1, 8)
INSIDE, OUTSIDE = 1, 2

# Columns from outside to inside: (width mm, zone).
columns = [(20, "render")] + [(30, "eps")] * 4 + [(30, "masonry")] * 8 + \
          [(15, "plaster")] + [(50, "room")] * 4 + [(100, "room")] * 3 + [(250, "room")] * 2
# Rows from top to bottom: (height mm, zone).
rows = [(250, "wall"), (200, "wall"), (150, "wall"), (150, "wall"), (100, "wall"),
        (50, "wall"), (50, "wall"), (50, "wall"),
        (30, "screed"), (30, "screed"), (30, "impact"),
        (50, "slab"), (50, "slab"), (50, "slab"), (50, "slab"),
        (50, "wall"), (50, "wall"), (50, "wall"), (100, "wall"), (150, "wall"),
        (150, "wall"), (200, "wall"), (250, "wall")]


def code(column_zone, row_zone):
    if column_zone == "render":
        return "A%d" % RENDER
    if column_zone == "eps":
        return "A%d" % EPS
    if row_zone == "slab":
        return "A%d" % CONCRETE
    if column_zone == "masonry":
        return "A%d" % MASONRY
    if column_zone == "plaster":
        return "A%d" % PLASTER
    # The room side.
    if row_zone == "screed":
        return "A%d" % SCREED
    if row_zone == "impact":
        return "A%d" % IMPACT
    return "B%d" % INSIDE


lines = ['"Masonry wall with external insulation at an intermediate floor slab"']
lines.append(str(len(materials)))
lines += ['"%s",%s' % m for m in materials]
lines.append("2")
lines.append("20,7.69")
lines.append("-10,25")
lines.append("0")
lines.append("%d,%d" % (len(columns), len(rows)))
lines.append(",".join(str(w) for w, _ in columns))
lines.append(",".join(str(h) for h, _ in rows))
width = len(columns) + 2
lines.append(",".join([""] * width))  # top ring: adiabatic cut
for _, row_zone in rows:
    cells = ["B%d" % OUTSIDE] + [code(z, row_zone) for _, z in columns]
    # Right ring: the room continues beyond the grid except along the slab,
    # whose far end is a cut.
    cells.append("B%d" % INSIDE if row_zone == "wall" else "")
    lines.append(",".join(cells))
lines.append(",".join([""] * width))  # bottom ring: adiabatic cut

out = sys.argv[1] if len(sys.argv) > 1 else "examples/wall_slab.inp"
with open(out, "w") as f:
    f.write("\n".join(lines) + "\n")
