// The demo's pictures, written as stand-alone SVG files.
#ifndef TFMEX_DEMO_SVG_H
#define TFMEX_DEMO_SVG_H

#include <string>
#include <vector>

namespace demo {

// A rectangle of the time-frequency plane: time in samples, frequency as a
// fraction of the Nyquist frequency (0 .. 1).
struct Box {
  double t0, t1, f0, f1;
};

struct Tile {
  Box box;
  double energy;  // squared coefficient
};

struct Panel {
  std::string label;
  std::vector<double> y;
};

// Line plots stacked over one time axis.
void write_signal_plot(const std::string& path, const std::string& title,
                       const std::vector<Panel>& panels);

// One tile per coefficient of a basis, shaded by its energy relative to the
// largest (logarithmic, four decades), with the basis' blocks outlined.
void write_tiling(const std::string& path, const std::string& title, int n,
                  const std::vector<Tile>& tiles, const std::vector<Box>& blocks);

// Rows of n values each (time order), drawn top to bottom as bins of
// n / bins samples shaded by the largest magnitude in the bin, relative to
// the largest of the row.
void write_heat_map(const std::string& path, const std::string& title,
                    const std::vector<std::vector<double>>& rows,
                    const std::vector<std::string>& row_labels, int bins);

// An HTML page showing every picture with its caption.
struct Picture {
  std::string file;
  std::string caption;
};
void write_index(const std::string& path, const std::string& title,
                 const std::vector<Picture>& pictures);

}  // namespace demo

#endif
