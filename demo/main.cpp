// tfmex-demo: what the transforms are for, in numbers and pictures. Four test
// signals are denoised by wavelet shrinkage (plain and translation-invariant),
// compressed in the best wavelet packet and cosine packet bases, and drawn as
// SVG files. Every transform, the shrinkage and the best-basis search are
// calls of the library, libtfmex; the toolbox's tfmex_demo does the same work
// in Octave or MATLAB and prints the same numbers.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "demo/methods.h"
#include "demo/signals.h"
#include "demo/svg.h"

namespace fs = std::filesystem;
using namespace demo;

namespace {

const int n = 2048;                   // samples per signal (J = 11)
const int denoise_level = 4;          // coarse level of the shrinkage: 16 coarse values kept
const int packet_depth = 7;           // columns 0 .. 7 of the packet and cosine packet tables
const int heat_level = 5;             // coarse level of the translation-invariant picture: 6 stages
const double rounding_level = 1e-12;  // relative error a rebuilt signal must stay under

struct Options {
  std::string out;
  double snr = 7.0;
  std::uint64_t seed = 2048;
  bool check = false;
};

void usage() {
  std::cout << "usage: tfmex-demo [--out DIR] [--snr DB] [--seed N] [--check]\n"
               "  --out DIR   folder for the pictures (default: demo-output next to bin/)\n"
               "  --snr DB    signal-to-noise ratio of the noisy signals (default 7)\n"
               "  --seed N    seed of the noise (default 2048)\n"
               "  --check     exit with status 1 unless every denoising gain is positive and\n"
               "              every best-basis reconstruction is exact to rounding\n";
}

std::string default_out() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? "demo-output" : (exe.parent_path().parent_path() / "demo-output").string();
}

double max_abs(const std::vector<double>& v) {
  double m = 0.0;
  for (double a : v) m = std::max(m, std::fabs(a));
  return m;
}

double relative_error(const std::vector<double>& x, const std::vector<double>& y) {
  double e = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) e = std::max(e, std::fabs(x[i] - y[i]));
  return e / max_abs(x);
}

std::string fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

// The tiles of a basis (tfmex::tiling), each shaded by its coefficient's energy.
void tiles_of(const tfmex::Basis& basis, bool packets, std::vector<Tile>& tiles,
              std::vector<Box>& blocks) {
  const tfmex::Tiling t = tfmex::tiling(
      basis.nodes, n, packets ? tfmex::TableKind::wavelet_packet : tfmex::TableKind::cosine_packet);
  for (std::size_t i = 0; i < t.tiles.size(); ++i) {
    const tfmex::Rect& r = t.tiles[i];
    tiles.push_back({{r.t0, r.t1, r.f0, r.f1}, basis.coef[i] * basis.coef[i]});
  }
  for (const tfmex::Rect& r : t.blocks) blocks.push_back({r.t0, r.t1, r.f0, r.f1});
}

std::string levels_of(const std::vector<Node>& basis) {
  int lo = 99, hi = -1;
  for (const Node& b : basis) lo = std::min(lo, b.d), hi = std::max(hi, b.d);
  return lo == hi ? std::to_string(lo) : std::to_string(lo) + "-" + std::to_string(hi);
}

int run(const Options& o) {
  const fs::path out = o.out.empty() ? default_out() : o.out;
  fs::create_directories(out);
  const std::vector<TestSignal> signals = test_signals(n);
  const std::vector<Filter> filters = orthonormal_filters();
  const Filter& long_filter = filters.back();
  std::vector<Picture> pictures;
  bool ok = true;

  std::cout << "tfmex demo: libtfmex " << tfmex::version() << "\n"
            << "Four signals of n = " << n << " samples; Gaussian noise (seed " << o.seed
            << ") at an input SNR of " << fmt("%.1f", o.snr) << " dB.\n\n";

  // Denoising.
  std::cout << "Denoising: soft threshold at sigma*sqrt(2 ln n) on every detail, sigma = "
               "median|finest| / 0.6745,\n"
               "coarse level "
            << denoise_level << ". Output SNR in dB (input " << fmt("%.1f", o.snr)
            << " dB); plain: CircSplit/CircJoin, translation-invariant: ShiftSplit/ShiftJoin.\n\n";
  std::printf("  %-8s %-42s%s\n  %-8s", "", "plain", "translation-invariant", "signal");
  for (int twice = 0; twice < 2; ++twice)
    for (const Filter& f : filters) std::printf(" %13s", f.name.c_str());
  std::printf("\n");
  for (std::size_t s = 0; s < signals.size(); ++s) {
    const TestSignal& sig = signals[s];
    const std::vector<double> noisy = add_noise(sig.clean, o.snr, o.seed + s);
    std::vector<double> best;
    std::string best_name;
    double best_snr = -1e300;
    std::printf("  %-8s", sig.name.c_str());
    for (bool invariant : {false, true}) {
      for (const Filter& f : filters) {
        const std::vector<double> y = denoised(noisy, f.h, denoise_level, invariant);
        const double snr = snr_db(sig.clean, y);
        std::printf(" %13s", fmt("%.2f", snr).c_str());
        if (snr <= o.snr) ok = false;
        if (snr > best_snr)
          best_snr = snr, best = y,
          best_name = (invariant ? "translation-invariant, " : "") + f.name;
      }
    }
    std::printf("\n");
    const std::string file = "denoise-" + sig.name + ".svg";
    write_signal_plot(
        (out / file).string(),
        "Denoising the " + sig.description +
            "\nsoft threshold at sigma*sqrt(2 ln n), coarse level " + std::to_string(denoise_level),
        {{"clean", sig.clean},
         {"noisy, SNR " + fmt("%.1f", o.snr) + " dB", noisy},
         {"denoised (" + best_name + "), SNR " + fmt("%.2f", best_snr) + " dB", best}});
    pictures.push_back({file, sig.name + ": clean, noisy and the best of the denoised signals"});
  }

  // Best bases.
  std::cout << "\nBest bases of the clean signals (least entropy, tables of depth " << packet_depth
            << "), rebuilt from the basis alone.\n"
               "blocks: blocks of the table in the basis (levels: their columns); error: max "
               "|rebuilt - x| / max |x|;\n"
               "99%: coefficients holding 99% of the energy, also for the plain wavelet transform "
               "(CircSplit,\n"
            << long_filter.name << ", every level).\n\n";
  std::printf("  %-8s  %-33s  %-33s  %s\n", "", ("wavelet packets, " + long_filter.name).c_str(),
              "cosine packets", "wavelets");
  std::printf("  %-8s", "signal");
  for (int twice = 0; twice < 2; ++twice)
    std::printf("  %6s %6s %9s %7s   ", "blocks", "levels", "error", "99%");
  std::printf("  %7s\n", "99%");
  for (const TestSignal& sig : signals) {
    std::printf("  %-8s", sig.name.c_str());
    for (bool packets : {true, false}) {
      const std::vector<double> h = packets ? long_filter.h : std::vector<double>{};
      const std::vector<double> table = packets ? packet_table(sig.clean, packet_depth, h)
                                                : cosine_table(sig.clean, packet_depth);
      const tfmex::Basis basis = tfmex::best_basis(table.data(), n, packet_depth);
      const double err = relative_error(sig.clean, rebuilt(basis, h, packet_depth));
      if (!(err < rounding_level)) ok = false;
      const int count = count_for_energy(basis.coef, 0.99);
      std::printf("  %6zu %6s %9s %7d   ", basis.nodes.size(), levels_of(basis.nodes).c_str(),
                  fmt("%.1e", err).c_str(), count);

      std::vector<Tile> tiles;
      std::vector<Box> blocks;
      tiles_of(basis, packets, tiles, blocks);
      const std::string kind = packets ? "wavelet packet" : "cosine packet";
      const std::string file = (packets ? "packet-basis-" : "cosine-basis-") + sig.name + ".svg";
      write_tiling((out / file).string(),
                   "Best " + kind + " basis of the " + sig.description + "\n" +
                       std::to_string(basis.nodes.size()) + " blocks of the table, " +
                       std::to_string(count) + " of the basis' coefficients hold 99% of the energy",
                   n, tiles, blocks);
      pictures.push_back(
          {file, sig.name + ": time-frequency tiling of the best " + kind + " basis"});
    }
    std::printf("  %7d\n", count_for_energy(wavelet(sig.clean, 0, long_filter.h), 0.99));
  }

  // Translation-invariant tables.
  const int stages = 11 - heat_level;
  for (const TestSignal& sig : signals) {
    const std::vector<double> table = shift_table(sig.clean, heat_level, long_filter.h);
    std::vector<std::vector<double>> rows;
    std::vector<std::string> labels;
    const int m = static_cast<int>(long_filter.h.size());
    for (int d = 1; d <= stages; ++d) {
      rows.push_back(time_ordered(table, n, d, d, m));
      labels.push_back(d == 1 ? "details 1 (finest)" : "details " + std::to_string(d));
    }
    rows.push_back(time_ordered(table, n, 0, stages, m));
    labels.push_back("coarse " + std::to_string(stages));
    const std::string file = "invariant-" + sig.name + ".svg";
    write_heat_map((out / file).string(),
                   "Translation-invariant table of the " + sig.description + "\n" +
                       long_filter.name + ", every shift path: " + std::to_string(n) +
                       " coefficients per stage, in time order",
                   rows, labels, 512);
    pictures.push_back(
        {file, sig.name + ": magnitudes of the translation-invariant table, stage by stage"});
  }

  write_index((out / "index.html").string(), "tfmex demo", pictures);
  std::cout << "\nPictures (" << pictures.size() << " SVG files and index.html) written to "
            << out.string() << "\n";
  if (o.check) {
    std::cout
        << (ok ? "check: every denoising gain positive, every rebuilt signal exact to rounding\n"
               : "check FAILED: a denoising gain is not positive or a rebuilt signal is not "
                 "exact\n");
    return ok ? 0 : 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << a << " needs a value\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--out") o.out = value();
    else if (a == "--snr") o.snr = std::atof(value().c_str());
    else if (a == "--seed") o.seed = std::strtoull(value().c_str(), nullptr, 10);
    else if (a == "--check") o.check = true;
    else if (a == "--help" || a == "-h") return usage(), 0;
    else {
      usage();
      return 2;
    }
  }
  try {
    return run(o);
  } catch (const std::exception& e) {
    std::cerr << "tfmex-demo: " << e.what() << "\n";
    return 1;
  }
}
