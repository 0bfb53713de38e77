"""Builds the documentation site and looks at it: sphinx-build with warnings
as errors; every internal link, image and #anchor of every built page must
resolve; the front page, a reference page and a gallery page are opened in
headless Chromium and their screenshots must show something; every image of
the gallery must be a PNG that Chromium loads.

  check_site.py --source DIR --out SITE --check DIR [--chromium PATH]
"""
import argparse
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse

PAGES = {  # screenshot name: page of the site
    "index": "index.html",
    "reference": "generated/octave/CircSplit.html",
    "gallery": "gallery/plot_best_basis.html",
}


class Links(html.parser.HTMLParser):
    """The ids and anchors a page defines, and the links and sources it uses."""

    def __init__(self):
        super().__init__()
        self.ids, self.refs = set(), []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for key in ("id", "name") if tag == "a" else ("id",):
            if a.get(key):
                self.ids.add(a[key])
        for key in ("href", "src"):
            if a.get(key) is not None:
                self.refs.append((tag, key, a[key]))


def parse(path):
    p = Links()
    p.feed(open(path, encoding="utf-8").read())
    return p


def check_links(site):
    """Every local href and src of every page: the file exists, and a
    #fragment names an id of the page it points into."""
    pages = {}
    for folder, _, files in os.walk(site):
        for f in files:
            if f.endswith(".html"):
                path = os.path.join(folder, f)
                pages[os.path.normpath(path)] = parse(path)
    broken, checked = [], 0
    for page, links in sorted(pages.items()):
        for tag, key, ref in links.refs:
            url = urllib.parse.urlsplit(ref)
            if url.scheme or url.netloc or ref.startswith("//"):
                continue  # external: not this test's business (and no network)
            target = page if not url.path else os.path.normpath(
                os.path.join(os.path.dirname(page), urllib.parse.unquote(url.path)))
            checked += 1
            where = f"{os.path.relpath(page, site)}: <{tag} {key}={ref!r}>"
            if os.path.isdir(target):
                target = os.path.join(target, "index.html")
            if not os.path.isfile(target):
                broken.append(f"{where}: no file {os.path.relpath(target, site)}")
            elif url.fragment and target.endswith(".html"):
                ids = pages[os.path.normpath(target)].ids if os.path.normpath(
                    target) in pages else parse(target).ids
                if urllib.parse.unquote(url.fragment) not in ids:
                    broken.append(f"{where}: no anchor #{url.fragment}")
    return len(pages), checked, broken


def png_size(path):
    """(width, height) of a PNG file, or an error."""
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise ValueError(f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


def not_blank(path):
    """Why a screenshot looks blank, or None: it must decode, and have enough
    distinct colours and enough pixels that are not the background."""
    import matplotlib.image
    import numpy as np
    img = matplotlib.image.imread(path)
    rgb = (np.asarray(img)[..., :3] * 255).round().astype(np.uint8)
    if rgb.shape[0] < 200 or rgb.shape[1] < 200:
        return f"only {rgb.shape[1]} x {rgb.shape[0]} pixels"
    colours = len(np.unique(rgb.reshape(-1, 3), axis=0))
    inked = np.mean(np.any(rgb < 200, axis=-1))
    if colours < 32:
        return f"{colours} distinct colours"
    if inked < 0.01:
        return f"{100 * inked:.2f} % of the pixels are not near white"
    return None


def chromium_command(chromium, profile):
    cmd = [chromium, "--headless", "--disable-gpu", "--hide-scrollbars", "--no-first-run",
           "--disable-dev-shm-usage", "--disable-extensions", "--mute-audio",
           f"--user-data-dir={profile}"]
    if hasattr(os, "geteuid") and os.geteuid() == 0:
        cmd.append("--no-sandbox")  # Chromium's sandbox refuses to run as root
    return cmd


def screenshot(chromium, profile, page, png, size=(1280, 1400)):
    if os.path.exists(png):
        os.remove(png)
    run = subprocess.run(chromium_command(chromium, profile) + [
        f"--window-size={size[0]},{size[1]}", f"--screenshot={png}",
        "--virtual-time-budget=5000", "file://" + os.path.abspath(page)],
        capture_output=True, text=True, timeout=180)
    if not os.path.exists(png):
        raise RuntimeError(f"chromium wrote no screenshot of {page}:\n{run.stderr[-3000:]}")


PROBE = """<!DOCTYPE html><html><body><pre id="out"></pre><script>
const urls = %s;
let left = urls.length;
const lines = [];
function done(line) {
  lines.push(line);
  if (--left === 0) document.getElementById('out').textContent = 'PROBE\\n' + lines.join('\\n');
}
for (const u of urls) {
  const img = new Image();
  img.onload = () => done('ok ' + img.naturalWidth + ' ' + img.naturalHeight + ' ' + u);
  img.onerror = () => done('failed 0 0 ' + u);
  img.src = u;
}
</script></body></html>
"""


def images_load_in_chromium(chromium, profile, images, check):
    """What Chromium makes of each image: [(url, naturalWidth, naturalHeight)]."""
    import json
    urls = ["file://" + os.path.abspath(p) for p in images]
    probe = os.path.join(check, "image_probe.html")
    with open(probe, "w", encoding="utf-8") as f:
        f.write(PROBE % json.dumps(urls))
    run = subprocess.run(chromium_command(chromium, profile) + [
        "--allow-file-access-from-files", "--virtual-time-budget=10000", "--dump-dom",
        "file://" + probe], capture_output=True, text=True, timeout=180)
    body = run.stdout
    if "PROBE" not in body:
        raise RuntimeError(f"the image probe did not finish:\n{body[-2000:]}\n{run.stderr[-2000:]}")
    text = body[body.index("PROBE") + 6:body.index("</pre>")]
    out = []
    for line in text.strip().splitlines():
        state, w, h, url = line.split(" ", 3)
        out.append((url, int(w) if state == "ok" else 0, int(h) if state == "ok" else 0))
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--source", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--check", required=True)
    ap.add_argument("--chromium", default="")
    args = ap.parse_args()
    site, check = os.path.abspath(args.out), os.path.abspath(args.check)
    failures = []

    # 1. The site, warnings as errors, every page read afresh.
    build = subprocess.run(
        [sys.executable, "-m", "sphinx", "-W", "--keep-going", "-E", "-q", "-b", "html",
         "-d", site + "-doctrees", os.path.join(args.source, "docs"), site],
        capture_output=True, text=True, timeout=900)
    if build.returncode != 0:
        print(build.stdout[-5000:], build.stderr[-10000:])
        sys.exit("sphinx-build -W failed")
    print("built", site)

    # 2. Internal links and anchors.
    count, checked, broken = check_links(site)
    print(f"{count} pages, {checked} internal links and sources checked")
    failures += broken

    # 3. The gallery's images: files, PNGs of some size.
    gallery = os.path.join(site, "gallery")
    images = []
    for f in sorted(os.listdir(gallery)):
        if f.endswith(".html") and f.startswith("plot_"):
            for tag, key, ref in parse(os.path.join(gallery, f)).refs:
                if tag == "img":
                    images.append(os.path.normpath(os.path.join(gallery, ref)))
    images = sorted(set(images))
    if len(images) < 4:
        failures.append(f"the gallery's pages show only {len(images)} images")
    for path in images:
        if not os.path.isfile(path) or os.path.getsize(path) == 0:
            failures.append(f"gallery image {path} is missing or empty")
            continue
        try:
            w, h = png_size(path)
            if w < 100 or h < 100:
                failures.append(f"gallery image {path} is only {w} x {h}")
        except ValueError as e:
            failures.append(str(e))

    # 4. Chromium: three screenshots, and the gallery's images as it loads them.
    chromium = args.chromium or shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        failures.append("no chromium to look at the site with (scripts/setup --tests installs it)")
    else:
        os.makedirs(check, exist_ok=True)
        with tempfile.TemporaryDirectory() as profile:
            for name, page in PAGES.items():
                png = os.path.join(check, f"{name}.png")
                screenshot(chromium, profile, os.path.join(site, page), png)
                why = not_blank(png)
                print(f"screenshot {png}: {why or 'not blank'}")
                if why:
                    failures.append(f"the screenshot of {page} looks blank: {why}")
            for url, w, h in images_load_in_chromium(chromium, profile, images, check):
                if w == 0 or h == 0:
                    failures.append(f"chromium could not load {url}")
            print(f"chromium loaded {len(images)} gallery images")

    for f in failures:
        print("FAIL:", f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
