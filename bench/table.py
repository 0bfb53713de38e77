"""Prints the benchmark table from Google Benchmark's JSON (ours and the FFTW
peers) and bench/peers.py's JSON (PyWavelets, scipy.fft): our median, the
peer's median, and the ratio peer / ours (above 1: ours is faster). Then the
plug-ins without a peer, the cosine packet plug-ins against D + 1 calls of
TrigC4 at their length, and the peak resident memory of one process per
plug-in at the largest size.

    python3 bench/table.py OURS.json PEERS.json [BENCH_BINARY] [--octave OCTAVE.tsv]

With --octave, the Octave section follows: bench/octave/bench_octave.m's
times of the plug-ins in octave-cli against FFTW and the copy floor behind
the same MEX interface, and the gains of two threads over one.
"""
import json
import re
import resource
import subprocess
import sys

SIGNAL = [1 << 10, 1 << 14, 1 << 17, 1 << 20]
IMAGE = [256, 1024, 2048]
TAPS = [2, 4, 8, 20]
TRIG = [("TrigC2", "REDFT10", "dct2"), ("TrigC3", "REDFT01", "dct3"),
        ("TrigS2", "RODFT10", "dst2"), ("TrigS3", "RODFT01", "dst3"),
        ("TrigC4", "REDFT11", "dct4")]


def load_ours(path):
    with open(path) as f:
        data = json.load(f)
    out, counters = {}, {}
    for b in data["benchmarks"]:
        name = b.get("run_name", b["name"])
        if name.endswith("/real_time"):  # wall-clock cases (the thread gains)
            name = name[:-len("/real_time")]
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        if b.get("error_occurred"):
            continue
        unit = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        out[name] = b["real_time"] * unit
        counters[name] = b
    return data.get("context", {}), out, counters


def fmt(ns):
    if ns is None:
        return "-"
    if ns < 1e3:
        return f"{ns:.0f} ns"
    if ns < 1e6:
        return f"{ns / 1e3:.1f} us"
    if ns < 1e9:
        return f"{ns / 1e6:.2f} ms"
    return f"{ns / 1e9:.2f} s"


def main():
    octave = None
    if "--octave" in sys.argv:
        i = sys.argv.index("--octave")
        octave = sys.argv[i + 1]
        del sys.argv[i:i + 2]
    context, ours, counters = load_ours(sys.argv[1])
    with open(sys.argv[2]) as f:
        peers_all = json.load(f)
    peers = {k: v["median_ns"] for k, v in peers_all["results"].items()}
    rows = []

    def row(case, mine, peer_name, peer):
        if mine is None and peer is None:
            return
        ratio = f"{peer / mine:.2f}x" if mine and peer else "-"
        rows.append((case, fmt(mine), peer_name, fmt(peer), ratio))

    for ours_name, peer_fn in (("CircSplit", "wavedec"), ("CircJoin", "waverec"),
                               ("ShiftSplit", "swt"), ("ShiftJoin", "iswt"),
                               ("PacketSplit", "packet"), ("PacketJoin", "packet_rebuild")):
        for n in SIGNAL:
            for m in TAPS:
                row(f"{ours_name} n={n} m={m}", ours.get(f"direct/{ours_name}/{n}/{m}"),
                    f"pywt.{peer_fn}", peers.get(f"pywt/{peer_fn}/{n}/{m}"))
    for ours_name, peer_fn in (("CircSplit2", "wavedec2"), ("CircJoin2", "waverec2")):
        for n in IMAGE:
            for m in TAPS:
                row(f"{ours_name} {n}^2 m={m}", ours.get(f"direct/{ours_name}/{n}/{m}"),
                    f"pywt.{peer_fn}", peers.get(f"pywt/{peer_fn}/{n}/{m}"))
    for ours_name, fftw_kind, scipy_fn in TRIG:
        for n in SIGNAL:
            mine = ours.get(f"direct/{ours_name}/{n}/0")
            row(f"{ours_name} n={n}", mine, f"FFTW {fftw_kind}",
                ours.get(f"peer/fftw/{fftw_kind}/{n}"))
            row(f"{ours_name} n={n}", mine, f"scipy.fft.{scipy_fn[:3]} type {scipy_fn[3]}",
                peers.get(f"scipy/{scipy_fn}/{n}"))
    for n in SIGNAL:
        row(f"hartley kernel n={n}", ours.get(f"BM_hartley_kept_table/{n}"), "FFTW DHT",
            ours.get(f"peer/fftw/DHT/{n}"))
    for n in SIGNAL:
        row(f"(scipy dst type 4, no plug-in) n={n}", None, "scipy.fft.dst type 4",
            peers.get(f"scipy/dst4/{n}"))

    print(f"CPU: {context.get('mhz_per_cpu', '?')} MHz x {context.get('num_cpus', '?')}; "
          f"times are medians (wall clock); ratio = peer / ours, above 1 = ours faster.")
    print(f"Peers: {peers_all.get('versions', {})}")
    widths = [max(len(r[i]) for r in rows + [("case", "ours", "peer", "peer median", "ratio")])
              for i in range(5)]
    header = ("case", "ours", "peer", "peer median", "ratio")
    line = "  ".join(h.ljust(w) for h, w in zip(header, widths))
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)))

    cosine_packets(ours)

    # Everything of ours, peers or not: checked host, direct call, counters.
    print()
    print("Every plug-in: direct call median, checked (embedded host) median, ns/sample, madd/s")
    names = sorted({k for k in ours if k.startswith("direct/")})
    for name in names:
        checked = ours.get("checked/" + name[len("direct/"):])
        c = counters[name]
        nss = c.get("ns/sample")
        madd = c.get("madd/s")
        print(f"  {name[7:]:<34} {fmt(ours[name]):>10}  checked {fmt(checked):>10}  "
              f"{(f'{nss * 1e9:.2f}' if nss else '-'):>8} ns/sample  "
              f"{(f'{madd / 1e9:.2f} G madd/s' if madd else '')}")
    for name in sorted(k for k in ours if k.startswith("overhead/")):
        print(f"  {name:<34} {fmt(ours[name]):>10}  (one call, n = 8)")
    library_section(ours)

    for name in sorted(k for k in ours if k.startswith("BM_")):
        c = counters[name]
        madd = c.get("madd/s")
        print(f"  kernel {name:<40} {fmt(ours[name]):>10}  "
              f"{(f'{madd / 1e9:.2f} G madd/s' if madd else '')}")

    if octave:
        octave_section(octave, ours)

    if len(sys.argv) > 3:
        peak_memory(sys.argv[3])


def print_rows(title, header, rows):
    print()
    print(title)
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    line = "  ".join(h.ljust(w) for h, w in zip(header, widths)).rstrip()
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


def verdict(ok):
    return "ok" if ok else "over"


def octave_section(path, ours):
    """The plug-ins in octave-cli (one thread unless stated): medians after
    one untimed call, against FFTW (plan kept) and the copy floor behind the
    same MEX interface."""
    t = {}
    with open(path) as f:
        for line in f:
            name, ns = line.rstrip("\n").split("\t")
            t[name] = float(ns)
    rows = []
    for name, kind, _ in TRIG:
        target = 2.0 if name == "TrigC4" else 1.5
        for J in (14, 17, 20):
            n = 1 << J
            mine, peer = t.get(f"octave/{name}/{n}"), t.get(f"octave/fftw/{kind}/{n}")
            if mine and peer:
                r = mine / peer
                rows.append((f"{name} n=2^{J}", fmt(mine), f"FFTW {kind}", fmt(peer), f"{r:.2f}x",
                             f"<= {target}x {verdict(r <= target)}"))
    for name in ("BellSplit", "BellJoin"):
        for J in (14, 17, 20):
            n = 1 << J
            mine, ref = t.get(f"octave/{name}/{n}/0"), t.get(f"octave/TrigC4/{n}")
            if mine and ref:
                r = mine / ref
                rows.append((f"{name} n=2^{J} D=0", fmt(mine), "1 x TrigC4", fmt(ref), f"{r:.2f}x",
                             f"<= 1.2x {verdict(r <= 1.2)}"))
    if rows:
        print_rows("Octave (octave-cli, one thread): ours / peer behind the same MEX interface",
                   ("case", "ours", "peer", "peer median", "ours / peer", "target"), rows)

    rows = []
    floor22 = t.get("octave/floor/2048x2048")
    if floor22:
        rows.append(("copy floor, 2^22 doubles", fmt(floor22), "-", "-", "-", ""))
    n = 1 << 20
    for case, key, floor_key, compute_key in (
            ("CircSplit2 2048^2 m=8", "octave/CircSplit2/2048/8", "octave/floor/2048x2048",
             "direct/CircSplit2/2048/8"),
            ("PacketSplit 2^20 D=20 m=8", f"octave/PacketSplit/{n}/8", f"octave/floor/{n}x21",
             f"direct/PacketSplit/{n}/8"),
            ("ShiftSplit 2^20 D=20 m=8", f"octave/ShiftSplit/{n}/8", f"octave/floor/{n}x21",
             f"direct/ShiftSplit/{n}/8"),
            ("BellSplit 2^20 D=20", f"octave/BellSplit/{n}/20", f"octave/floor/{n}x21",
             f"BM_BellSplit/n:{n}/D:20")):
        # Bell benchmarks carry their minimum time in their names.
        compute = next((v for k, v in ours.items() if k == compute_key
                        or k.startswith(compute_key + "/")), None)
        mine, floor = t.get(key), t.get(floor_key)
        if mine and floor and compute:
            r = mine / (floor + compute)
            rows.append((case, fmt(mine), fmt(floor), fmt(compute), f"{r:.2f}x",
                         f"<= 1.2x {verdict(r <= 1.2)}"))
    if rows:
        print_rows("Octave, large outputs: ours against the copy floor of the output size plus "
                   "the compute through the embedded host (one thread)",
                   ("case", "Octave", "floor", "embedded", "ours / (floor + embedded)", "target"),
                   rows)

    rows = []
    for key in sorted(k for k in t if k.startswith("octave/threads1/")):
        case = key[len("octave/threads1/"):]
        one, two = t[key], t.get(f"octave/threads2/{case}")
        if two:
            g = one / two
            target = 1.7 if case.startswith(("CircSplit2", "CircJoin2", "CircSplit 2^16")) else None
            rows.append((case, fmt(one), fmt(two), f"{g:.2f}x",
                         f">= {target}x {verdict(g >= target)}" if target else ""))
    if rows:
        print_rows("Octave, threads: one thread against two (TFMEX_THREADS)",
                   ("case", "1 thread", "2 threads", "gain", "target"), rows)

    rows = []
    for key in sorted(k for k in ours if k.startswith("threads/") and k.endswith("/1")):
        case = key[len("threads/"):-2]
        one, two = ours[key], ours.get(f"threads/{case}/2")
        if two:
            g = one / two
            target = 1.7 if case.startswith(("CircSplit2", "CircJoin2", "CircSplit 2^16")) else None
            rows.append((case, fmt(one), fmt(two), f"{g:.2f}x",
                         f">= {target}x {verdict(g >= target)}" if target else ""))
    if rows:
        print_rows("Embedded host, threads: the same calls with one thread against two",
                   ("case", "1 thread", "2 threads", "gain", "target"), rows)

    rows = []
    for key in sorted(k for k in t if k.startswith("octave/first/")):
        case = key[len("octave/first/"):]
        name, n = case.split("/")
        later = t.get(f"octave/{case}")
        rows.append((f"{name} n=2^{int(n).bit_length() - 1}", fmt(t[key]), fmt(later),
                     f"{t[key] / later:.2f}x" if later else "-"))
    if rows:
        print_rows("Octave, the first call of a length (tables and workspace made) against later calls",
                   ("case", "first call", "later calls", "first / later"), rows)


BELL_TARGET = 1.2


def library_section(ours):
    """Each transform through the library against the plug-in's own call."""
    names = sorted(k for k in ours if k.startswith("library/"))
    if not names:
        return
    print()
    print("Through the library against through the plug-in (direct call), one thread;")
    print("ratio = plug-in / library, below 1 = the library slower")
    for name in names:
        plugin = ours.get("direct/" + name[len("library/"):])
        lib = ours[name]
        ratio = f"{plugin / lib:.2f}" if plugin and lib else "-"
        print(f"  {name[8:]:<34} library {fmt(lib):>10}  plug-in {fmt(plugin):>10}  {ratio:>6}")
    print("Per-call overhead at n = 8: library, plug-in through a trusting host (direct),")
    print("the embedded host's checked call")
    for name in sorted(k for k in ours if k.startswith("overhead/library/")):
        plugin = name[len("overhead/library/"):]
        print(f"  {plugin:<16} library {fmt(ours[name]):>10}  "
              f"direct {fmt(ours.get('overhead/direct/' + plugin)):>10}  "
              f"checked {fmt(ours.get('overhead/checked/' + plugin)):>10}")


def cosine_packets(ours):
    """BellSplit and BellJoin at depth D against D + 1 calls of TrigC4 of the
    same length (bench/bells_bench.cpp), one row per (n, D): a table of depth
    D costs D + 1 levels of type-IV cosine transforms whose lengths sum to n."""
    ref, runs = {}, []
    for name, ns in ours.items():
        m = re.match(r"BM_BellRef_TrigC4/n:(\d+)", name)
        if m:
            ref[int(m.group(1))] = ns
        m = re.match(r"BM_(BellSplit|BellJoin)/n:(\d+)/D:(\d+)", name)
        if m:
            runs.append((m.group(1), int(m.group(2)), int(m.group(3)), ns))
    if not runs:
        return
    rows = []
    for plugin, n, D, ns in sorted(runs, key=lambda r: (r[0] != "BellSplit", r[1], r[2])):
        one = ref.get(n)
        yard = (D + 1) * one if one else None
        ratio = ns / yard if yard else None
        rows.append((f"{plugin} n={n} D={D}", fmt(ns), fmt(yard),
                     f"{ratio:.2f}x" if ratio else "-",
                     ("over" if ratio > BELL_TARGET else "ok") if ratio else ""))
    print()
    print(f"Cosine packets against D + 1 calls of TrigC4 of length n "
          f"(target: ours / yardstick <= {BELL_TARGET:.2f}x)")
    header = ("case", "ours", "(D+1) x TrigC4", "ours / yardstick", "")
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(5)]
    line = "  ".join(h.ljust(w) for h, w in zip(header, widths)).rstrip()
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


def peak_memory(binary):
    """Peak resident memory of a process making one plug-in's call at the
    largest size, less that of the same process making no call."""
    print()
    print("Peak resident memory at the largest size, one process per plug-in "
          "(the benchmark process holds the inputs as well):")
    cases = {"CircSplit": "1048576/8", "CircJoin": "1048576/8", "DualSplit": "1048576/8",
             "DualJoin": "1048576/8", "HalveCoarse": "1048576/8", "HalveDetail": "1048576/8",
             "GrowCoarse": "1048576/8", "GrowDetail": "1048576/8", "ShiftSplit": "1048576/8",
             "ShiftJoin": "1048576/8", "PacketSplit": "1048576/8", "PacketJoin": "1048576/8",
             "CircSplit2": "2048/8", "CircJoin2": "2048/8", "TrigC2": "1048576/0",
             "TrigC3": "1048576/0", "TrigS2": "1048576/0", "TrigS3": "1048576/0",
             "TrigC4": "1048576/0", "BellSplit": "1048576/0", "BellJoin": "1048576/0",
             "BlockMeanSplit": "531441/0", "BlockMeanJoin": "531441/0",
             "CenterJoin": "531441/0", "CenterPredict": "531441/0",
             "TriplePredict": "531441/0"}
    # ru_maxrss of children is the largest of all children so far, so each
    # case runs under its own wrapper process.
    for plugin, args in cases.items():
        out = subprocess.run(
            [sys.executable, "-c",
             "import resource,subprocess,sys;"
             "subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL,stderr=subprocess.DEVNULL);"
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)",
             binary, f"--benchmark_filter=^direct/{plugin}/{args}$",
             "--benchmark_min_time=0.001"], capture_output=True, text=True)
        if out.returncode == 0 and out.stdout.strip():
            kb = int(out.stdout.strip())
            size = args.split("/")[0]
            print(f"  {plugin:<16} size {size:>8}: {kb / 1024:8.1f} MiB")


if __name__ == "__main__":
    main()
