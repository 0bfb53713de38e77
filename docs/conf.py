"""Sphinx configuration of the tfmex site (scripts/docs builds it into build/docs).

The Python reference imports the built module: TFMEX_PYTHON_DIR or PYTHONPATH
names the build's python folder, else build/python is taken. Everything is
offline: no intersphinx, no fonts or scripts from the network.
"""
import os
import re
import sys
import warnings

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
sys.path.insert(0, os.path.join(here, "_ext"))
if os.environ.get("TFMEX_PYTHON_DIR"):
    sys.path.insert(0, os.environ["TFMEX_PYTHON_DIR"])
else:
    try:
        import tfmex  # noqa: F401  (from PYTHONPATH)
    except ImportError:
        sys.path.insert(0, os.path.join(root, "build", "python"))

import matplotlib  # noqa: E402

matplotlib.use("Agg")
import tfmex  # noqa: E402  (the built module: its version and docstrings)

project = "tfmex"
author = "the tfmex developers"
copyright = "the tfmex developers, BSD 3-Clause license"
release = tfmex.__version__
version = ".".join(release.split(".")[:2])

extensions = [
    "sphinx.ext.autodoc",
    "sphinx.ext.mathjax",
    "numpydoc",
    "sphinx_gallery.gen_gallery",
    "tfmexdoc",
]
# MathJax would come from a CDN: the few formulas are written in plain text.
extensions.remove("sphinx.ext.mathjax")

exclude_patterns = ["_build", "**/sg_execution_times.rst"]
templates_path = []
html_static_path = ["_static"]
html_css_files = ["tfmex.css"]
html_theme = "alabaster"
html_title = f"tfmex {release}"
html_theme_options = {
    "description": "Wavelet and time-frequency transforms for Octave, MATLAB, Python and C++",
    "fixed_sidebar": False,
    "page_width": "1100px",
    "sidebar_width": "240px",
    "show_relbars": True,
    "font_family": "sans-serif",
    "head_font_family": "sans-serif",
    "code_font_family": "monospace",
}
html_sidebars = {"**": ["about.html", "navigation.html", "relations.html", "searchbox.html"]}
html_last_updated_fmt = None
html_show_sourcelink = False
pygments_style = "sphinx"
highlight_language = "none"

autodoc_member_order = "bysource"
autodoc_typehints = "none"  # numpydoc's Parameters sections say the types
numpydoc_show_class_members = False
numpydoc_class_members_toctree = False
numpydoc_xref_param_type = False

class GalleryOrder:
    """The gallery's examples in reading order: what the transforms are for
    first, then the pictures that explain them."""

    order = ["plot_denoise.py", "plot_best_basis.py", "plot_tilings.py", "plot_ti_table.py"]

    def __init__(self, src_dir):
        self.src_dir = src_dir

    def __call__(self, filename):
        return (self.order.index(filename) if filename in self.order else len(self.order),
                filename)

    def __repr__(self):
        return "GalleryOrder"


sphinx_gallery_conf = {
    "within_subsection_order": GalleryOrder,
    "examples_dirs": os.path.join(root, "examples", "python"),
    "gallery_dirs": "gallery",
    "filename_pattern": r"/plot_",
    "download_all_examples": False,
    "remove_config_comments": True,
    "show_memory": False,
    "plot_gallery": "True",
    "thumbnail_size": (320, 224),
    "min_reported_time": 1e9,  # no timings on the pages
    "abort_on_example_error": True,
    "reset_modules": ("matplotlib",),
    "doc_module": (),
    "backreferences_dir": None,
    "image_scrapers": ("matplotlib",),
    "matplotlib_animations": False,
}

warnings.filterwarnings("ignore", message="Matplotlib is currently using agg")
nitpicky = False
