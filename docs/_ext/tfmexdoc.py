"""Pages of the reference made from the sources at build time, so that the
text has one home:

- ``generated/octave/``: one page per plug-in and toolbox function, from the
  leading comment block of ``help/<Name>.m`` (what Octave's ``help Name``
  shows), with an index grouped as ``help/Contents.m`` groups them;
- ``generated/cpp/``: one page per header of ``include/tfmex/``, from its
  comments: the header's opening comment, then every declaration with the
  comment above it.

Pages are rewritten only when their text changes, so that Sphinx's
incremental builds stay incremental.
"""
import os
import re
import subprocess

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


# ---- help/*.m ---------------------------------------------------------------

def help_text(path):
    """The help text of an M-file as Octave shows it: the first block of
    comment lines (after a function line), each without its '%'."""
    lines = open(path, encoding="utf-8").read().splitlines()
    i = 0
    while i < len(lines) and not lines[i].strip():
        i += 1
    if i < len(lines) and lines[i].lstrip().startswith("function"):
        i += 1
    out = []
    while i < len(lines) and lines[i].lstrip().startswith("%"):
        out.append(lines[i].lstrip()[1:])
        i += 1
    if not out:
        raise ValueError(f"{path}: no help text")
    return out


def split_help(name, lines):
    """(summary, body lines, example lines, see-also names) of a help text."""
    first = lines[0].strip()
    m = re.match(r"([A-Z0-9_]+)\s+(.*)", first)
    if not m or m.group(1) != name.upper():
        raise ValueError(f"help/{name}.m: the first line must be '{name.upper()}  summary'")
    summary = m.group(2)
    rest = lines[1:]
    indent = min((len(s) - len(s.lstrip()) for s in rest if s.strip()), default=0)
    rest = [s[indent:].rstrip() for s in rest]
    see = [k for k, s in enumerate(rest) if s.startswith("See also")]
    also = []
    if see:
        text = " ".join(s.strip() for s in rest[see[0]:])[len("See also"):]
        also = [w.strip(" .") for w in text.split(",") if w.strip(" .")]
        rest = rest[:see[0]]
    example = []
    ex = [k for k, s in enumerate(rest) if re.fullmatch(r"Examples?:?", s.strip())]
    if ex:
        example = rest[ex[0] + 1:]
        rest = rest[:ex[0]]
        common = min((len(s) - len(s.lstrip()) for s in example if s.strip()), default=0)
        example = [s[common:] for s in example]
    while rest and not rest[-1].strip():
        rest.pop()
    while example and not example[-1].strip():
        example.pop()
    return summary, rest, example, also


def contents():
    """The groups of help/Contents.m: [(title, [(name, summary), ...]), ...]."""
    groups = []
    for line in help_text(os.path.join(ROOT, "help", "Contents.m"))[1:]:
        entry = re.match(r"\s+(\w+)\s+- (.*)", line)
        if entry:
            groups[-1][1].append((entry.group(1), entry.group(2)))
        elif line.strip().endswith(".") and line.strip() and not line.startswith("  "):
            title = line.strip().rstrip(".")
            if not (groups and not groups[-1][1] and groups[-1][0] == title):
                groups.append((title, []))
    return [(t, e) for t, e in groups if e]


def indented(lines, by="   "):
    return "\n".join(by + s if s.strip() else "" for s in lines)


def help_page(name, family, known):
    summary, body, example, also = split_help(
        name, help_text(os.path.join(ROOT, "help", f"{name}.m")))
    kind = "toolbox function (M-file)" if name.startswith("tfmex_") else "compiled plug-in"
    out = [f".. _octave-{name}:", "", name, "=" * len(name), "", summary, "",
           f"*{family}* — {kind}, ``help {name}``; source ``help/{name}.m``."]
    if not name.startswith("tfmex_"):
        out[-1] += f" From Python: ``tfmex.plugins.{name}``, the same arguments."
    out += ["", ".. code-block:: text", "", indented(body), ""]
    if example:
        out += ["Example", "-------", "", ".. code-block:: octave", "", indented(example), ""]
    if also:
        links = [f":doc:`{a}`" if a in known else f"``{a}``" for a in also]
        out += [".. rubric:: See also", "", ", ".join(links), ""]
    return "\n".join(out)


def octave_pages():
    groups = contents()
    known = {n for _, entries in groups for n, _ in entries}
    files = {f[:-2] for f in os.listdir(os.path.join(ROOT, "help")) if f.endswith(".m")}
    missing = files - known - {"Contents"}
    if missing:
        raise ValueError(f"help/Contents.m does not list {sorted(missing)}")
    pages = {}
    index = [".. _octave-reference:", "", "Octave and MATLAB reference", "=" * 27, "",
             "Every plug-in and toolbox function, grouped as ``help Contents`` lists them.",
             "Each page is the function's help text, the one ``help NAME`` shows in Octave",
             "or MATLAB (made from ``help/NAME.m`` when this site is built).", ""]
    index += ["The plug-ins take real double matrices and return one new matrix; call each",
              "with exactly one output, as in ``y = TrigC2(x)``.", ""]
    for title, entries in groups:
        index += [title, "-" * len(title), "", ".. list-table::", "   :widths: 25 75", ""]
        for name, summary in entries:
            index += [f"   * - :doc:`{name}`", f"     - {summary}"]
            pages[name] = help_page(name, title, known)
        index += [""]
    index += [".. toctree::", "   :hidden:", ""]
    index += [f"   {n}" for _, entries in groups for n, _ in entries]
    pages["index"] = "\n".join(index) + "\n"
    return pages


# ---- include/tfmex/*.hpp ------------------------------------------------------

def rst_escape(text):
    return re.sub(r"([\\`*_|<>])", r"\\\1", text)


def prose(comment):
    """Comment lines as paragraphs (an empty comment line ends one)."""
    return rst_escape("\n".join(comment))


def header_groups(path):
    """(opening comment, [(kind, comment lines, code lines)]) of a header:
    kind 'section' for a '// ---- Title ----' line, else 'decl'."""
    lines = open(path, encoding="utf-8").read().splitlines()
    i, opening = 0, []
    while i < len(lines) and lines[i].startswith("//"):
        opening.append(lines[i][2:].strip())
        i += 1
    groups, comment, code, depth = [], [], [], 0

    def flush():
        nonlocal comment, code
        if code:
            groups.append(("decl", comment, code))
        elif comment:
            groups.append(("note", comment, []))
        comment, code = [], []

    for line in lines[i:]:
        s = line.strip()
        if depth == 0 and not code:
            if s.startswith("#") or s.startswith("namespace") or s.startswith("}  // namespace"):
                flush()
                continue
            sec = re.fullmatch(r"// -+ (.*?) -*", s)
            if sec:
                flush()
                groups.append(("section", [sec.group(1)], []))
                continue
            if s.startswith("//"):
                comment.append(s[2:].strip())
                continue
            if not s:
                flush()
                continue
        if depth == 0 and not s:
            flush()
            continue
        if depth == 0 and s.startswith("//") and code and code[-1].rstrip().endswith(";"):
            flush()  # a comment after a complete declaration starts the next one
            comment = [s[2:].strip()]
            continue
        if s.startswith("#"):
            continue
        code.append(line)
        depth += line.count("{") - line.count("}")
    flush()
    return opening, groups


def declared_names(code):
    names = []
    for m in re.finditer(r"\b(?:struct|class|enum class|enum)\s+(?:TFMEX_API\s+)?(\w+)",
                         "\n".join(code)):
        names.append(m.group(1))
    flat = " ".join(s.strip() for s in code)
    for m in re.finditer(r"TFMEX_API\s+[^;(]*?\b(\w+)\s*\(", flat):
        names.append(m.group(1))
    for m in re.finditer(r"^(?:inline\s+)?(?:constexpr\s+)?[\w:<>]+\s+(\w+)\s*(?:\(|=)",
                         code[0].strip()):
        if m.group(1) not in names:
            names.append(m.group(1))
    return [n for n in dict.fromkeys(names) if n not in ("TFMEX_API",)]


def cpp_page(header, anchored):
    """The page of one header; `anchored` holds the names that have their
    anchor (cpp-NAME) already, on this page or another."""
    path = os.path.join(ROOT, "include", "tfmex", header)
    opening, groups = header_groups(path)
    title = f"tfmex/{header}"
    out = [f".. _cpp-{header.replace('.', '-')}:", "", title, "=" * len(title), "",
           prose(opening), "", f"``#include \"tfmex/{header}\"``", ""]
    for kind, comment, code in groups:
        if kind == "section":
            out += [comment[0], "-" * len(comment[0]), ""]
            continue
        names = declared_names(code) if code else []
        if names:
            out += [".. index:: " + "; ".join(f"tfmex::{n}" for n in names), ""]
            for n in names:
                if n.lower() not in anchored:  # labels ignore case
                    anchored.add(n.lower())
                    out += [f".. _cpp-{n}:", ""]
            out += [".. rst-class:: cpp-names", "", "   " + ", ".join(
                f"``{n}``" for n in names), ""]
        if comment:
            out += [prose(comment), ""]
        if code:
            out += [".. code-block:: cpp", "", indented(code), ""]
    return "\n".join(out) + "\n"


def cpp_pages():
    headers = sorted(f for f in os.listdir(os.path.join(ROOT, "include", "tfmex"))
                     if f.endswith(".hpp"))
    index = [".. _cpp-reference:", "", "C++ reference", "=" * 13, "",
             "The library's headers, each page made from the header's own comments when",
             "this site is built: the header's purpose, then every declaration with the",
             "comment above it. Everything is in namespace ``tfmex``; ``tfmex/tfmex.hpp``",
             "includes them all.", "", ".. list-table::", "   :widths: 25 75", ""]
    pages, anchored = {}, set()
    for h in headers:
        opening, _ = header_groups(os.path.join(ROOT, "include", "tfmex", h))
        first = " ".join(opening).split(". ")[0].rstrip(".") + "."
        stem = h[:-4]
        index += [f"   * - :doc:`tfmex/{h} <{stem}>`", f"     - {rst_escape(first)}"]
        pages[stem] = cpp_page(h, anchored)
    index += ["", ".. toctree::", "   :hidden:", ""] + [f"   {h[:-4]}" for h in headers]
    pages["index"] = "\n".join(index) + "\n"
    return pages


# ---- Sphinx -----------------------------------------------------------------

def write_pages(folder, pages):
    os.makedirs(folder, exist_ok=True)
    for name, text in pages.items():
        path = os.path.join(folder, name + ".rst")
        if not os.path.exists(path) or open(path, encoding="utf-8").read() != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
    for old in os.listdir(folder):  # pages of files that are gone
        if old.endswith(".rst") and old[:-4] not in pages:
            os.remove(os.path.join(folder, old))


def run_snippet(snippet, folder):
    """Runs a Python example of docs/snippets in `folder`, where it writes
    its picture."""
    os.makedirs(folder, exist_ok=True)
    code = open(snippet, encoding="utf-8").read()
    here = os.getcwd()
    try:
        os.chdir(folder)
        exec(compile(code, snippet, "exec"), {"__name__": "__main__"})
    finally:
        os.chdir(here)
        import matplotlib.pyplot as plt
        plt.close("all")


def run_demo(program, folder):
    """The demo's SVG pictures, written by the demo program itself."""
    if not program or not os.path.exists(program):
        raise RuntimeError(f"the demo program {program!r} is not built (scripts/docs builds it; "
                           "set TFMEX_DEMO to its path)")
    subprocess.run([program, "--out", folder], check=True, stdout=subprocess.DEVNULL)


def generate(app):
    out = os.path.join(app.srcdir, "generated")
    write_pages(os.path.join(out, "octave"), octave_pages())
    write_pages(os.path.join(out, "cpp"), cpp_pages())
    run_snippet(os.path.join(app.srcdir, "snippets", "first_picture.py"), out)
    run_demo(app.config.tfmex_demo, os.path.join(out, "demo"))


def setup(app):
    app.add_config_value("tfmex_demo", os.environ.get(
        "TFMEX_DEMO", os.path.join(ROOT, "build", "bin", "tfmex-demo")), "env")
    app.connect("builder-inited", generate)
    return {"version": "1", "parallel_read_safe": True}
