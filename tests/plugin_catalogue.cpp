#include "plugin_catalogue.h"

#include <cmath>
#include <cstring>

namespace tfmex::test {
namespace {

using host::Array;
using Inputs = std::vector<const Array*>;

std::vector<double> values(std::mt19937_64& rng, std::size_t n) {
  std::normal_distribution<double> d;
  std::vector<double> v(n);
  for (double& x : v) x = d(rng);
  return v;
}

int pick(std::mt19937_64& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// A signal of 2^J values, J in 0 .. maxJ: a row, a column, or (with `matrix`)
// several columns.
Array dyadic_signal(std::mt19937_64& rng, int maxJ, bool matrix) {
  const std::size_t n = std::size_t(1) << pick(rng, 0, maxJ);
  // (a matrix of one row would be a row of another length)
  switch (pick(rng, 0, matrix && n > 1 ? 2 : 1)) {
    case 0: return Array::row(values(rng, n));
    case 1: return Array::column(values(rng, n));
    default: {
      const std::size_t c = static_cast<std::size_t>(pick(rng, 2, 3));
      return Array::matrix(n, c, values(rng, n * c));
    }
  }
}

Array filter(std::mt19937_64& rng, int max_taps) {
  return Array::row(values(rng, static_cast<std::size_t>(pick(rng, 1, max_taps))));
}

// n and the orientation of the first argument (one row: the row).
std::size_t signal_length(const Array& a) { return a.rows() == 1 ? a.cols() : a.rows(); }
Shape2 like_signal(std::size_t len, const Array& a) {
  return a.rows() == 1 ? Shape2{1, len} : Shape2{len, 1};
}
Shape2 same_shape(const Inputs& in) { return {in[0]->rows(), in[0]->cols()}; }

int log2_of(std::size_t n) {
  int J = 0;
  while ((std::size_t(1) << J) < n) ++J;
  return J;
}

// A scalar argument as the plug-ins read it: saturated, then rounded to nearest.
int nearest(const Array& a) {
  const double x = std::fmax(-1073741824.0, std::fmin(1073741824.0, a[0]));
  return static_cast<int>(std::floor(x + 0.5));
}

Array odd_filter(std::mt19937_64& rng) {
  return Array::row(values(rng, static_cast<std::size_t>(2 * pick(rng, 0, 4) + 1)));
}

Array square_image(std::mt19937_64& rng) {
  const std::size_t n = std::size_t(1) << pick(rng, 0, 5);
  return Array::matrix(n, n, values(rng, n * n));
}

// Length of a vector argument of the triadic plug-ins: the column count, or
// the row count of a single column; 0 for an empty array.
std::size_t triadic_vector_length(const Array& a) {
  if (a.rows() == 0 || a.cols() == 0) return 0;
  return a.cols() == 1 ? a.rows() : a.cols();
}

Array triadic_vector(std::mt19937_64& rng, std::size_t n) {
  return pick(rng, 0, 1) ? Array::row(values(rng, n)) : Array::column(values(rng, n));
}

std::size_t pow3(int k) {
  std::size_t p = 1;
  while (k-- > 0) p *= 3;
  return p;
}

std::vector<Array> pyramid_call(std::mt19937_64& r, std::size_t factor) {
  const int J = pick(r, 0, 5);
  const std::size_t n =
      pow3(J) * factor + (factor == 2 ? static_cast<std::size_t>(pick(r, 0, 1)) : 0);
  return {triadic_vector(r, n), Array::scalar(pick(r, 1, J + 1) + 0.5 * pick(r, 0, 1)),
          Array::scalar(2 * pick(r, 0, 1))};
}

std::vector<Array> predict_call(std::mt19937_64& r) {
  const int D = 2 * pick(r, 0, 1);
  return {triadic_vector(r, static_cast<std::size_t>(pick(r, D == 2 ? 3 : 0, 40))),
          Array::scalar(D)};
}

Shape2 thrice(const Inputs& in) { return {1, 3 * triadic_vector_length(*in[0])}; }
Shape2 half_of(const Inputs& in) { return {1, triadic_vector_length(*in[0]) / 2}; }

// A table of n rows (n = 2^J) and 1 .. J + 1 columns.
Array table(std::mt19937_64& rng) {
  const int J = pick(rng, 0, 6);
  const std::size_t n = std::size_t(1) << J, c = static_cast<std::size_t>(pick(rng, 1, J + 1));
  return Array::matrix(n, c, values(rng, n * c));
}

const std::vector<CatalogueEntry> kEntries = {
    {"BellJoin", 1, true,
     [](std::mt19937_64& r) {
       std::vector<Array> args{table(r)};
       if (pick(r, 0, 1)) args.push_back(Array::scalar(1));  // further arguments are ignored
       return args;
     },
     [](const Inputs& in) {
       return Shape2{1, in[0]->rows()};
     }},
    {"BellSplit", 3, false,
     [](std::mt19937_64& r) {
       Array x = dyadic_signal(r, 7, false);
       const int J = log2_of(signal_length(x));
       return std::vector<Array>{x, Array::scalar(pick(r, 0, J)), Array::scalar(0)};
     },
     [](const Inputs& in) {
       const double d = std::fmax(-1073741824.0, std::fmin(1073741824.0, (*in[1])[0]));
       return Shape2{signal_length(*in[0]),
                     static_cast<std::size_t>(static_cast<int>(d + 0.5) + 1)};
     }},
    {"BlockMeanJoin", 3, false, [](std::mt19937_64& r) { return pyramid_call(r, 2); }, half_of},
    {"BlockMeanSplit", 3, false, [](std::mt19937_64& r) { return pyramid_call(r, 1); },
     [](const Inputs& in) {
       return Shape2{1, 2 * triadic_vector_length(*in[0])};
     }},
    {"CenterJoin", 3, false, [](std::mt19937_64& r) { return pyramid_call(r, 2); }, half_of},
    {"CenterPredict", 2, false, predict_call, thrice},
    {"CircJoin", 3, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), Array::scalar(pick(r, -1, 7)),
                                 filter(r, 12)};
     },
     same_shape},
    {"CircSplit", 3, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), Array::scalar(pick(r, -1, 7)),
                                 filter(r, 12)};
     },
     same_shape},
    {"CircJoin2", 3, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{square_image(r), Array::scalar(pick(r, -1, 6)), filter(r, 12)};
     },
     same_shape},
    {"CircSplit2", 3, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{square_image(r), Array::scalar(pick(r, -1, 6)), filter(r, 12)};
     },
     same_shape},
    {"DualJoin", 4, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), Array::scalar(pick(r, -1, 7)),
                                 odd_filter(r), odd_filter(r)};
     },
     same_shape},
    {"DualSplit", 4, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), Array::scalar(pick(r, -1, 7)),
                                 filter(r, 9), filter(r, 9)};
     },
     same_shape},
    {"GrowCoarse", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), filter(r, 12)};
     },
     [](const Inputs& in) { return like_signal(2 * signal_length(*in[0]), *in[0]); }},
    {"GrowDetail", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), filter(r, 12)};
     },
     [](const Inputs& in) { return like_signal(2 * signal_length(*in[0]), *in[0]); }},
    {"HalveCoarse", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), filter(r, 12)};
     },
     [](const Inputs& in) { return like_signal(signal_length(*in[0]) / 2, *in[0]); }},
    {"HalveDetail", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{dyadic_signal(r, 6, true), filter(r, 12)};
     },
     [](const Inputs& in) { return like_signal(signal_length(*in[0]) / 2, *in[0]); }},
    {"PacketJoin", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{table(r), filter(r, 12)};
     },
     [](const Inputs& in) {
       return Shape2{1, in[0]->rows()};
     }},
    {"PacketSplit", 3, false,
     [](std::mt19937_64& r) {
       Array x = dyadic_signal(r, 6, false);
       const int J = log2_of(signal_length(x));
       return std::vector<Array>{x, Array::scalar(pick(r, 0, J)), filter(r, 12)};
     },
     [](const Inputs& in) {
       return Shape2{signal_length(*in[0]), static_cast<std::size_t>(nearest(*in[1]) + 1)};
     }},
    {"ShiftJoin", 2, false,
     [](std::mt19937_64& r) {
       return std::vector<Array>{table(r), filter(r, 12)};
     },
     [](const Inputs& in) {
       return Shape2{1, in[0]->rows()};
     }},
    {"ShiftSplit", 3, false,
     [](std::mt19937_64& r) {
       Array x = dyadic_signal(r, 6, false);
       const int J = log2_of(signal_length(x));
       return std::vector<Array>{x, Array::scalar(pick(r, 0, J)), filter(r, 12)};
     },
     [](const Inputs& in) {
       const std::size_t n = signal_length(*in[0]);
       return Shape2{n, static_cast<std::size_t>(log2_of(n) - nearest(*in[1]) + 1)};
     }},
    {"TrigC2", 1, false,
     [](std::mt19937_64& r) { return std::vector<Array>{dyadic_signal(r, 7, true)}; }, same_shape},
    {"TrigC3", 1, false,
     [](std::mt19937_64& r) { return std::vector<Array>{dyadic_signal(r, 7, true)}; }, same_shape},
    {"TrigC4", 1, false,
     [](std::mt19937_64& r) { return std::vector<Array>{dyadic_signal(r, 7, true)}; }, same_shape},
    {"TrigS2", 1, false,
     [](std::mt19937_64& r) { return std::vector<Array>{dyadic_signal(r, 7, true)}; }, same_shape},
    {"TrigS3", 1, false,
     [](std::mt19937_64& r) { return std::vector<Array>{dyadic_signal(r, 7, true)}; }, same_shape},
    {"TriplePredict", 2, false, predict_call, thrice},
};

}  // namespace

const std::vector<CatalogueEntry>& catalogue() { return kEntries; }

const CatalogueEntry* find_entry(const char* name) {
  for (const auto& e : kEntries)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}

}  // namespace tfmex::test
