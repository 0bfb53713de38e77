#!/usr/bin/env python3
"""Checks the pictures of tfmex-demo: every SVG parses as XML in the SVG
namespace with a viewBox, a title and labelled axes, and holds the expected
number of tiles, cells and traces. Usage: check_svg.py DIR N"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = "{http://www.w3.org/2000/svg}"
SIGNALS = ["chirp", "steps", "wave", "bumps"]
STAGES = 6          # detail rows of the translation-invariant picture, plus one coarse row
BINS = 512          # time bins of that picture


def fail(msg):
    print("FAIL:", msg)
    sys.exit(1)


def parse(path):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        fail(f"{path.name} is not well-formed XML: {e}")
    if root.tag != NS + "svg":
        fail(f"{path.name}: root element {root.tag} is not an SVG element")
    box = root.get("viewBox", "").split()
    if len(box) != 4 or float(box[2]) <= 0 or float(box[3]) <= 0:
        fail(f"{path.name}: no usable viewBox")
    title = root.find(NS + "title")
    if title is None or not (title.text or "").strip():
        fail(f"{path.name}: no title")
    texts = [t.text or "" for t in root.iter(NS + "text")]
    if "time (samples)" not in texts:
        fail(f"{path.name}: the time axis is not labelled")
    return root, texts


def rects(root, cls):
    return [r for r in root.iter(NS + "rect") if r.get("class") == cls]


def area(rs):
    return sum(float(r.get("width")) * float(r.get("height")) for r in rs)


def frame_area(root):
    frames = rects(root, "frame")
    if len(frames) != 1:
        fail("not exactly one plot frame")
    return area(frames)


def main():
    folder, n = Path(sys.argv[1]), int(sys.argv[2])
    files = sorted(folder.glob("*.svg"))
    if len(files) != 4 * len(SIGNALS):
        fail(f"expected {4 * len(SIGNALS)} pictures, found {len(files)}")
    index = (folder / "index.html").read_text()
    for s in SIGNALS:
        for kind in ["denoise", "packet-basis", "cosine-basis", "invariant"]:
            path = folder / f"{kind}-{s}.svg"
            if not path.exists():
                fail(f"{path.name} missing")
            if f'src="{path.name}"' not in index:
                fail(f"index.html does not show {path.name}")
            root, texts = parse(path)
            if kind == "denoise":
                traces = [p for p in root.iter(NS + "polyline") if p.get("class") == "trace"]
                if len(traces) != 3:
                    fail(f"{path.name}: {len(traces)} traces, expected clean, noisy and denoised")
                for t in traces:
                    if len(t.get("points").split()) != n:
                        fail(f"{path.name}: a trace without {n} points")
            elif kind.endswith("basis"):
                tiles, blocks = rects(root, "tile"), rects(root, "block")
                if len(tiles) != n:
                    fail(f"{path.name}: {len(tiles)} tiles, expected one per coefficient ({n})")
                if not blocks:
                    fail(f"{path.name}: no basis blocks")
                # A basis tiles the time-frequency plane: no gaps, no overlaps.
                for rs, what in [(tiles, "tiles"), (blocks, "blocks")]:
                    if abs(area(rs) / frame_area(root) - 1) > 1e-4:
                        fail(f"{path.name}: the {what} do not cover the plane once")
                if not any("frequency" in t for t in texts):
                    fail(f"{path.name}: the frequency axis is not labelled")
                if not re.search(r"\d+ blocks", root.find(NS + "title").text):
                    fail(f"{path.name}: the title does not say how many blocks")
            else:
                cells = rects(root, "cell")
                if len(cells) != (STAGES + 1) * BINS:
                    fail(f"{path.name}: {len(cells)} cells, expected {(STAGES + 1) * BINS}")
                if abs(area(cells) / frame_area(root) - 1) > 1e-4:
                    fail(f"{path.name}: the cells do not fill the frame")
    print(f"{len(files)} pictures checked")


main()
