#!/usr/bin/env python3
"""Writes inputs of a given size for the benchmarks: design files, aperture reports, NC drill files, Gerber files.
They are as unkind as real files: short lines, many small polygons (some with repeated points, some too small
to keep), tool and aperture changes every few lines. Deterministic (fixed seed), so every run measures the
same bytes."""
import math
import random
import sys


def design(records, rng):
    shapes = ["EL", "SQ", "OV", "RR", "CR", "MH", "TG"]
    pads = [(rng.choice(shapes), 40 + 5 * rng.randrange(20), 40 + 5 * rng.randrange(20), 20 + rng.randrange(0, 100, 5),
             rng.choice(["AL", "TL", "BL"])) for _ in range(60)]
    vias = [(rng.choice(["CR", "EL"]), 30 + 5 * rng.randrange(8), 12 + 2 * rng.randrange(8)) for _ in range(10)]
    out = [";Tango-PCB PLUS V2.30 Series II", "VERSION 1 3 A", "BOARD 1 1 31999 31999 1 1"]
    polygon = 0
    while len(out) < records:
        kind = rng.random()
        x, y = rng.randrange(32000), rng.randrange(32000)
        if kind < 0.20:
            s, w, h, hole, layer = rng.choice(pads)
            out.append(f"PAD {s} {w} {h} {hole} {layer} {x} {y} 0 0 1")
        elif kind < 0.28:
            s, size, hole = rng.choice(vias)
            out.append(f"VIA {s} {size} {hole} {rng.choice(['GD', 'GT', 'PD', 'PT', 'NP'])} {x} {y} 0 0")
        elif kind < 0.55:
            out.append(f"LINE {rng.choice([8, 10, 12, 15, 20, 25, 50])} {x} {y} {x + 100} {y + 50} 1")
        elif kind < 0.60:
            out.append(f"ARC {rng.randrange(10, 200)} 0 360 {rng.choice([8, 10, 12])} 18 {x} {y} 0 0 0")
        elif kind < 0.64:
            out.append(f'TEXT "R{rng.randrange(999)}" 60 45 {rng.choice([6, 8, 10])} {x} {y} 0 0 15')
        else:
            # Small polygons, a point often repeated: every one of them is checked for distinct points.
            polygon += 1
            points = rng.randrange(2, 6)
            out.append(f"POLY {polygon} {points} 12 0 0")
            corner = (rng.randrange(1000), rng.randrange(1000))
            for _ in range(points):
                if rng.random() > 0.2:
                    corner = (rng.randrange(1000), rng.randrange(1000))
                out.append(f"pnt {corner[0]} {corner[1]}")
    return out[:records]


def report(lines, rng):
    # The viewer's tables hold 255 apertures and 20 tools; the rest of a large report is lines the job
    # passes over (drawn-aperture summaries and headings).
    out = ["Report for BENCH", ""]
    apertures = tools = 0
    while len(out) < lines:
        r = rng.random()
        if tools < 20 and r < 0.001:
            tools += 1
            out.append(f"    T{tools:<3}   {rng.randrange(10, 200):>5}")
        elif apertures < 255 and r < 0.01:
            apertures += 1
            out.append(f"    D{rng.randrange(10, 250):<3}   ELLIPSE  {rng.randrange(5, 200):>3}  {rng.randrange(5, 200):>3}         FLAS")
        else:
            out.append(f"    DRAW   ELLIPSE  {rng.randrange(5, 200):>3}  {rng.randrange(5, 200):>3}         DRAW")
    return out[:lines]


def ncdrill(lines, dialect, rng):
    header = {"preferred": "INCH", "lz": "INCH,LZ", "tz": "INCH,TZ"}[dialect]
    out = ["M48", header] + [f"T{t}C0.0{20 + 5 * t}" for t in range(1, 9)] + ["%"]
    while len(out) < lines - 1:
        x, y = rng.randrange(1, 999999), rng.randrange(1, 999999)
        if rng.random() < 0.05:
            out.append(f"T{rng.randrange(1, 9)}")
        elif dialect == "preferred":
            out.append(f"X+{x:06d}Y+{y:06d}")
        elif dialect == "lz":
            out.append(f"X+{x:06d}".rstrip("0") + f"Y+{y:06d}".rstrip("0"))
        else:
            out.append(f"X+{x}Y+{y}")
    out.append("M30")
    return out


def gerber(lines, rng):
    # An aperture change every few lines, and coordinates that leave out an axis, as plotted tracks do.
    out = ["%FSLAX23Y23*%", "%MOIN*%"]
    while len(out) < lines - 1:
        r = rng.random()
        if r < 0.15:
            out.append(f"D{rng.randrange(10, 250)}*")
        elif r < 0.30:
            out.append(f"X{rng.randrange(99999)}D0{rng.choice([1, 2])}*")
        elif r < 0.40:
            out.append(f"Y{rng.randrange(99999)}D01*")
        else:
            out.append(f"X{rng.randrange(99999)}Y{rng.randrange(99999)}D0{rng.choice([1, 2, 3])}*")
    out.append("M02*")
    return out


def tango_gerber(lines, rng):
    # Tango-PCB's own plots: no format statement, five-digit mils, G54 before each aperture change.
    out = ["G04 Tango-PCB*"]
    while len(out) < lines - 1:
        if rng.random() < 0.15:
            d = rng.randrange(10, 250)
            out += [f"G54D{d}*", f"D{d}*"]
        else:
            out.append(f"X{rng.randrange(99999):05d}Y{rng.randrange(99999):05d}D0{rng.choice([1, 2])}*")
    out.append("M02*")
    return out


def board(holes, directory):
    """A board of `holes` plated holes on a 100 mil grid, each with its round pad, three square pads and six
    tracks on TOP.GBR (ten flashes and draws a hole) and a thermal on PLANE.GBR; PCB.DFN and BOARD.NC1 beside
    them. Written as files into `directory`."""
    side = max(1, int(holes ** 0.5))
    spots = [(100 + 100 * (k % side), 100 + 100 * (k // side)) for k in range(holes)]
    dfn = ['GRB_AP2 10 10 10 0 DRAW ELLIPSE "ROUND DRAW- 10 MILS"', 'GRB_AP2 11 60 60 0 FLASH ELLIPSE "ROUND PAD- 60 MILS"',
           'GRB_AP2 12 20 20 0 FLASH SQRECT "SQUARE PAD- 20 MILS"',
           'GRB_AP2 19 070 0070 0 FLASH THERMAL "THERMAL-OD070 ID050 SP15 AN45"', "CAM_TOOL 1 28"]
    top = ["G54D11*"] + [f"X{x}Y{y}D03*" for x, y in spots] + ["G54D12*"]
    for x, y in spots:
        top += [f"X{x + 25}Y{y + 50}D03*", f"X{x + 50}Y{y + 50}D03*", f"X{x + 75}Y{y + 50}D03*"]
    top.append("G54D10*")
    for x, y in spots:
        top += [f"X{x}Y{y}D02*", f"X{x + 100}Y{y}D01*", f"X{x + 10}Y{y + 30}D02*", f"X{x + 90}Y{y + 30}D01*",
                f"X{x + 25}Y{y + 50}D02*", f"X{x + 75}Y{y + 50}D01*", f"X{x + 50}Y{y + 50}D02*",
                f"X{x + 50}Y{y + 75}D01*", f"X{x + 20}Y{y + 80}D01*", f"X{x + 20}Y{y + 90}D01*"]
    plane = ["G54D19*"] + [f"X{x}Y{y}D03*" for x, y in spots]
    drill = ["M48", "INCH", "T1"] + [f"X+{x * 10:06d}Y+{y * 10:06d}" for x, y in spots] + ["M30"]
    for name, lines in [("PCB.DFN", dfn), ("TOP.GBR", top + ["M02*"]), ("PLANE.GBR", plane + ["M02*"]),
                        ("BOARD.NC1", drill)]:
        with open(f"{directory}/{name}", "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode())


def cad_board(holes, directory):
    """A four-layer board as KiCad writes it, in mm with X2 attributes: `holes` plated holes on a 2.54 mm grid,
    each with a round pad and a track on every layer. The outer layers and the first inner one are poured, one
    region a row whose outline runs into a 16-sided clearance around every pad by a cut line; on the inner
    layer a spoke joins each pad to the pour."""
    pitch, side = 2540000, max(1, int(holes ** 0.5))
    spots = [(pitch * (1 + k % side), pitch * (1 + k // side)) for k in range(holes)]
    rows = sorted({y for _, y in spots})
    head = ["%FSLAX46Y46*%", "%MOMM*%", "%TA.AperFunction,ComponentPad*%", "%ADD10C,1.500000*%", "%TD*%",
            "%ADD11C,0.250000*%"]

    def pour(y):
        low, high, clearance = y - pitch // 2, y + pitch // 2, 1050000
        xs = [x for x, yy in spots if yy == y]
        lines = ["G36*", f"X{xs[0] - pitch // 2}Y{low}D02*"]
        for x in xs:
            lines.append(f"X{x}Y{low}D01*")
            for k in range(17):
                a = -math.pi / 2 - 2 * math.pi * k / 16
                lines.append(f"X{x + round(clearance * math.cos(a))}Y{y + round(clearance * math.sin(a))}D01*")
            lines.append(f"X{x}Y{low}D01*")
        lines += [f"X{xs[-1] + pitch // 2}Y{low}D01*", f"X{xs[-1] + pitch // 2}Y{high}D01*",
                  f"X{xs[0] - pitch // 2}Y{high}D01*", f"X{xs[0] - pitch // 2}Y{low}D01*", "G37*"]
        return lines

    def layer(function, poured, spokes):
        lines = [f"%TF.FileFunction,{function}*%"] + head + ["G01*"]
        if poured:
            for y in rows:
                lines += pour(y)
        lines += ["D10*"] + [f"X{x}Y{y}D03*" for x, y in spots] + ["D11*"]
        for x, y in spots:
            lines += [f"X{x}Y{y}D02*", f"X{x + 600000}Y{y + 1000000}D01*"]
            if spokes:
                lines += [f"X{x}Y{y}D02*", f"X{x - 1270000}Y{y}D01*"]
        return lines + ["M02*"]

    files = {"board-F_Cu.gbr": layer("Copper,L1,Top", True, False),
             "board-In1_Cu.gbr": layer("Copper,L2,Inr", True, True),
             "board-In2_Cu.gbr": layer("Copper,L3,Inr", False, False),
             "board-B_Cu.gbr": layer("Copper,L4,Bot", True, False),
             "board-PTH.drl": ["M48", "; #@! TF.FileFunction,Plated,1,4,PTH", "METRIC", "T1C0.800", "%", "G90",
                               "G05", "T1"] + [f"X{x / 1e6:.2f}Y{y / 1e6:.2f}" for x, y in spots] + ["M30"]}
    for name, lines in files.items():
        with open(f"{directory}/{name}", "wb") as f:
            f.write(("\n".join(lines) + "\n").encode())


def macro_board(circles, directory):
    """The four-layer board of cad_board with 100 holes, its top copper also flashing once an aperture macro of
    `circles` overlapping circles (a logo drawn in dots), away from the holes."""
    cad_board(100, directory)
    path = f"{directory}/board-F_Cu.gbr"
    with open(path) as f:
        lines = f.read().split("\n")
    dots = [f"1,1,0.5,{(k % 100) * 0.3:.1f},{(k // 100) * 0.3:.1f}*" for k in range(circles)]
    at = lines.index("%ADD11C,0.250000*%") + 1
    lines[at:at] = ["%AMDOTS*"] + dots + ["%", "%ADD20DOTS*%"]
    end = lines.index("M02*")
    lines[end:end] = ["D20*", "X-50000000Y-50000000D03*"]
    with open(path, "w") as f:
        f.write("\n".join(lines))


def repeat_board(holes, directory):
    """The board of cad_board whose bottom copper opens a step and repeat of 100 by 100 that it never closes."""
    cad_board(holes, directory)
    path = f"{directory}/board-B_Cu.gbr"
    with open(path) as f:
        text = f.read()
    with open(path, "w") as f:
        f.write(text.replace("%MOMM*%\n", "%MOMM*%\n%SRX100Y100I-0.01J-0.01*%\n", 1))


def main():
    kind, count, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    rng = random.Random(1234)
    if kind == "board":
        board(count, path)
        return
    if kind in ("cad-board", "macro-board", "repeat-board"):
        {"cad-board": cad_board, "macro-board": macro_board, "repeat-board": repeat_board}[kind](count, path)
        return
    if kind == "design":
        lines = design(count, rng)
    elif kind == "report":
        lines = report(count, rng)
    elif kind.startswith("nc-"):
        lines = ncdrill(count, kind[3:], rng)
    elif kind == "gerber":
        lines = gerber(count, rng)
    elif kind == "gerber-tango":
        lines = tango_gerber(count, rng)
    else:
        sys.exit(f"unknown kind {kind}")
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode())


if __name__ == "__main__":
    main()
