"""The library's circ_split/circ_join bound directly (tfmex._tfmex): along
any axis of any array, views and broadcasts included, the bytes of the
plug-in on the same signals; refusals are the library's."""
import numpy as np
import pytest

from tfmex import _tfmex, plugins

H4 = [0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604]
rng = np.random.default_rng(21)


def same_bits(a, b):
    return a.shape == b.shape and a.tobytes() == np.ascontiguousarray(b).tobytes()


def by_columns(name, x, axis, L, h):
    """The plug-in on every signal of x along axis, as the reference."""
    moved = np.moveaxis(x, axis, 0)
    cols = moved.reshape(moved.shape[0], -1)
    out = getattr(plugins, name)(np.asfortranarray(cols), L, h)
    return np.moveaxis(out.reshape(moved.shape), 0, axis)


@pytest.mark.parametrize("fn, plugin", [(_tfmex.circ_split, "CircSplit"),
                                        (_tfmex.circ_join, "CircJoin")])
def test_every_axis_and_layout_gives_the_plugins_bytes(fn, plugin):
    h8 = rng.standard_normal(8)
    base = rng.standard_normal((6, 32, 5))
    cases = [
        (rng.standard_normal(64), 0, 2, H4),
        (rng.standard_normal((32, 7)), 0, 1, H4),          # columns, strided signals
        (rng.standard_normal((7, 32)), 1, 0, h8),          # rows, packed signals
        (rng.standard_normal((7, 32)), -1, 5, H4),         # L = J copies
        (base, 1, 2, h8),                                  # the middle of three
        (np.asfortranarray(base), 1, 3, H4),
        (base[::-1, :, ::2], 1, 1, H4),                    # reversed and strided views
        (base.transpose(2, 0, 1), 2, 2, H4),
        (np.broadcast_to(rng.standard_normal(16), (3, 16)), 1, 1, H4),  # stride 0
        (rng.standard_normal((4, 0, 16)), 2, 1, H4),       # no signal at all
    ]
    for x, axis, L, h in cases:
        got = fn(x, L, h, axis=axis)
        assert got.flags.c_contiguous and got.dtype == np.float64
        want = by_columns(plugin, x, axis, L, h) if x.size else np.zeros(x.shape)
        assert same_bits(got, want), (x.shape, x.strides, axis)


def test_circ_join_inverts_circ_split():
    x = rng.standard_normal((3, 128, 2))
    w = _tfmex.circ_split(x, 2, H4, axis=1)
    assert np.max(np.abs(_tfmex.circ_join(w, 2, H4, axis=1) - x)) < 1e-12


def test_refusals_are_the_librarys():
    with pytest.raises(ValueError, match=r"^circ_split: n must be a power of two"):
        _tfmex.circ_split(np.zeros((4, 6)), 1, H4)
    with pytest.raises(ValueError, match=r"^circ_join: L must be from 0 to 3, not -1$"):
        _tfmex.circ_join(np.zeros(8), -1, H4)  # the plug-in would take it as 0
    with pytest.raises(ValueError, match=r"^circ_split: L must be from 0 to 3, not 4$"):
        _tfmex.circ_split(np.zeros((8, 2)), 4, H4, axis=0)
    with pytest.raises(TypeError, match="^circ_split: x must be an array of real or complex"):
        _tfmex.circ_split(np.array(["a"] * 8), 1, H4)
    x32 = rng.standard_normal(8).astype(np.float32)  # computed in double, rounded once
    got = _tfmex.circ_split(x32, 1, H4)
    assert got.dtype == np.float32
    assert same_bits(got, _tfmex.circ_split(x32.astype(np.float64), 1, H4).astype(np.float32))
    with pytest.raises(np.AxisError):
        _tfmex.circ_split(np.zeros((8, 2)), 1, H4, axis=2)
