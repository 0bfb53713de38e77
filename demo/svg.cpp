#include "demo/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demo {

namespace {

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string tick_text(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", std::fabs(v) < 1e-12 ? 0.0 : v);
  return buf;
}

// An RGB colour between white (s = 0) and the given dark colour (s = 1).
std::string shade(double s, int r, int g, int b) {
  s = std::clamp(s, 0.0, 1.0);
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(255 - s * (255 - r) + 0.5),
                static_cast<int>(255 - s * (255 - g) + 0.5),
                static_cast<int>(255 - s * (255 - b) + 0.5));
  return buf;
}

// Energy relative to the largest, on a logarithmic scale of the given decades.
double log_level(double e, double largest, double decades) {
  if (e <= 0.0 || largest <= 0.0) return 0.0;
  return std::clamp(1.0 + std::log10(e / largest) / decades, 0.0, 1.0);
}

class Svg {
 public:
  // A title of two lines (split at '\n') shows the second line smaller.
  Svg(double width, double height, const std::string& title) {
    const std::size_t cut = title.find('\n');
    const std::string head = title.substr(0, cut);
    const std::string sub = cut == std::string::npos ? "" : title.substr(cut + 1);
    out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
         << height << "\" viewBox=\"0 0 " << width << ' ' << height
         << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
         << "<title>" << escape(sub.empty() ? head : head + ": " + sub) << "</title>\n"
         << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    text(width / 2, 22, head, "middle", "font-size=\"15\" font-weight=\"bold\"");
    if (!sub.empty()) text(width / 2, 40, sub, "middle", "font-size=\"13\"");
  }
  void raw(const std::string& s) { out_ << s << '\n'; }
  // Corners are rounded to the printed precision before the sizes are taken,
  // so that rectangles sharing an edge meet exactly.
  void rect(double x, double y, double w, double h, const std::string& attrs) {
    auto r = [](double v) { return std::round(v * 100.0) / 100.0; };
    out_ << "<rect x=\"" << num(r(x)) << "\" y=\"" << num(r(y)) << "\" width=\""
         << num(r(x + w) - r(x)) << "\" height=\"" << num(r(y + h) - r(y)) << "\" " << attrs
         << "/>\n";
  }
  void line(double x0, double y0, double x1, double y1,
            const std::string& attrs = "stroke=\"black\"") {
    out_ << "<line x1=\"" << num(x0) << "\" y1=\"" << num(y0) << "\" x2=\"" << num(x1) << "\" y2=\""
         << num(y1) << "\" " << attrs << "/>\n";
  }
  void text(double x, double y, const std::string& s, const char* anchor = "start",
            const std::string& attrs = "") {
    out_ << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\" text-anchor=\"" << anchor << "\" "
         << attrs << '>' << escape(s) << "</text>\n";
  }
  void save(const std::string& path) {
    out_ << "</svg>\n";
    std::ofstream f(path);
    f << out_.str();
    if (!f) throw std::runtime_error("cannot write " + path);
  }

 private:
  std::ostringstream out_;
};

// A plot area mapping data coordinates to the page.
struct Frame {
  double x, y, w, h;      // on the page
  double x0, x1, y0, y1;  // data ranges
  double X(double v) const { return x + (v - x0) / (x1 - x0) * w; }
  double Y(double v) const { return y + h - (v - y0) / (y1 - y0) * h; }
};

// Frame, tick marks with values, and the axis labels.
void axes(Svg& svg, const Frame& f, const std::vector<double>& xticks,
          const std::vector<double>& yticks, const std::string& xlabel, const std::string& ylabel) {
  svg.rect(f.x, f.y, f.w, f.h, "class=\"frame\" fill=\"none\" stroke=\"black\"");
  for (double v : xticks) {
    svg.line(f.X(v), f.y + f.h, f.X(v), f.y + f.h + 4);
    if (!xlabel.empty()) svg.text(f.X(v), f.y + f.h + 16, tick_text(v), "middle");
  }
  for (double v : yticks) {
    svg.line(f.x - 4, f.Y(v), f.x, f.Y(v));
    svg.text(f.x - 7, f.Y(v) + 4, tick_text(v), "end");
  }
  if (!xlabel.empty()) svg.text(f.x + f.w / 2, f.y + f.h + 34, xlabel, "middle");
  const double ly = f.y + f.h / 2;
  svg.text(f.x - 48, ly, ylabel, "middle",
           "transform=\"rotate(-90 " + num(f.x - 48) + ' ' + num(ly) + ")\"");
}

std::vector<double> time_ticks(int n) {
  std::vector<double> t;
  for (int k = 0; k <= 4; ++k) t.push_back(n * k / 4.0);
  return t;
}

// Three rounded ticks spanning [lo, hi].
std::vector<double> value_ticks(double lo, double hi) {
  const double step = std::pow(10.0, std::floor(std::log10((hi - lo) / 2.0)));
  double s = step;
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if ((hi - lo) / (m * step) <= 4.0) {
      s = m * step;
      break;
    }
  std::vector<double> t;
  for (double v = std::ceil(lo / s) * s; v <= hi + 1e-9 * s; v += s) t.push_back(v);
  return t;
}

// A colour key for a logarithmic energy scale.
void energy_key(Svg& svg, double x, double y, int r, int g, int b, int decades,
                const std::string& what) {
  svg.text(x, y - 6, what);
  const int steps = 20;
  for (int i = 0; i < steps; ++i)
    svg.rect(x + i * 8, y, 8, 12,
             "class=\"key\" fill=\"" + shade((i + 0.5) / steps, r, g, b) + "\"");
  svg.rect(x, y, steps * 8, 12, "fill=\"none\" stroke=\"black\" stroke-width=\"0.5\"");
  svg.text(x, y + 26, "1e-" + std::to_string(decades), "middle");
  svg.text(x + steps * 8, y + 26, "1", "middle");
}

}  // namespace

void write_signal_plot(const std::string& path, const std::string& title,
                       const std::vector<Panel>& panels) {
  const double width = 960, panel_h = 150, gap = 30, top = 60, left = 80;
  const int n = static_cast<int>(panels.at(0).y.size());
  double lo = 0.0, hi = 0.0;  // one value range for every panel, so they compare
  for (const Panel& p : panels)
    for (double v : p.y) lo = std::min(lo, v), hi = std::max(hi, v);
  const double pad = 0.05 * (hi - lo);
  Svg svg(width, top + panels.size() * (panel_h + gap) + 40, title);
  for (std::size_t k = 0; k < panels.size(); ++k) {
    const bool last = k + 1 == panels.size();
    Frame f{left,    top + k * (panel_h + gap), width - left - 30, panel_h, 0, double(n), lo - pad,
            hi + pad};
    axes(svg, f, time_ticks(n), value_ticks(lo, hi), last ? "time (samples)" : "", "value");
    svg.text(f.x + 8, f.y + 16, panels[k].label, "start", "font-weight=\"bold\" fill=\"#333\"");
    std::ostringstream pts;
    for (int i = 0; i < n; ++i) pts << num(f.X(i + 0.5)) << ',' << num(f.Y(panels[k].y[i])) << ' ';
    svg.raw(
        "<polyline class=\"trace\" fill=\"none\" stroke=\"#1f4e9c\" stroke-width=\"0.8\" "
        "points=\"" +
        pts.str() + "\"/>");
  }
  svg.save(path);
}

void write_tiling(const std::string& path, const std::string& title, int n,
                  const std::vector<Tile>& tiles, const std::vector<Box>& blocks) {
  const double width = 960, height = 640;
  Frame f{80, 60, width - 110, height - 160, 0, double(n), 0, 1};
  Svg svg(width, height, title);
  double largest = 0.0;
  for (const Tile& t : tiles) largest = std::max(largest, t.energy);
  for (const Tile& t : tiles) {
    const double s = log_level(t.energy, largest, 4);
    if (s <= 0.0) {
      // Tiles with nothing worth seeing stay white but are still drawn, so
      // that every coefficient of the basis has its tile.
      svg.rect(f.X(t.box.t0), f.Y(t.box.f1), f.X(t.box.t1) - f.X(t.box.t0),
               f.Y(t.box.f0) - f.Y(t.box.f1), "class=\"tile\" fill=\"white\"");
      continue;
    }
    svg.rect(f.X(t.box.t0), f.Y(t.box.f1), f.X(t.box.t1) - f.X(t.box.t0),
             f.Y(t.box.f0) - f.Y(t.box.f1), "class=\"tile\" fill=\"" + shade(s, 8, 48, 107) + "\"");
  }
  for (const Box& b : blocks)
    svg.rect(f.X(b.t0), f.Y(b.f1), f.X(b.t1) - f.X(b.t0), f.Y(b.f0) - f.Y(b.f1),
             "class=\"block\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"0.6\"");
  axes(svg, f, time_ticks(n), {0, 0.25, 0.5, 0.75, 1}, "time (samples)",
       "frequency (fraction of Nyquist)");
  energy_key(svg, f.x, height - 40, 8, 48, 107, 4, "tile energy / largest (log scale)");
  svg.text(f.x + 300, height - 22, "red outlines: the blocks of the basis");
  svg.save(path);
}

void write_heat_map(const std::string& path, const std::string& title,
                    const std::vector<std::vector<double>>& rows,
                    const std::vector<std::string>& row_labels, int bins) {
  const double width = 960, row_h = 44;
  const int n = static_cast<int>(rows.at(0).size());
  const double height = 60 + rows.size() * row_h + 110;
  Frame f{150, 60, width - 180, rows.size() * row_h, 0, double(n), 0, double(rows.size())};
  Svg svg(width, height, title);
  const int per_bin = n / bins;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    double largest = 0.0;
    for (double v : rows[r]) largest = std::max(largest, std::fabs(v));
    const double y = f.y + r * row_h;
    for (int b = 0; b < bins; ++b) {
      double m = 0.0;
      for (int i = b * per_bin; i < (b + 1) * per_bin; ++i) m = std::max(m, std::fabs(rows[r][i]));
      const double s = log_level(m * m, largest * largest, 3);
      svg.rect(f.X(b * per_bin), y, f.X((b + 1) * per_bin) - f.X(b * per_bin), row_h,
               "class=\"cell\" fill=\"" + shade(s, 153, 27, 30) + "\"");
    }
    svg.text(f.x - 8, y + row_h / 2 + 4, row_labels.at(r), "end");
  }
  axes(svg, f, time_ticks(n), {}, "time (samples)", "");
  svg.text(f.x - 130, f.y - 8, "stage", "start", "font-style=\"italic\"");
  energy_key(svg, f.x, height - 40, 153, 27, 30, 3,
             "squared magnitude / largest of its row (log scale)");
  svg.save(path);
}

void write_index(const std::string& path, const std::string& title,
                 const std::vector<Picture>& pictures) {
  std::ofstream f(path);
  f << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << escape(title)
    << "</title></head>\n<body style=\"font-family: sans-serif\">\n<h1>" << escape(title)
    << "</h1>\n";
  for (const Picture& p : pictures)
    f << "<figure><img src=\"" << escape(p.file) << "\" style=\"max-width: 100%\"><figcaption>"
      << escape(p.caption) << "</figcaption></figure>\n";
  f << "</body></html>\n";
  if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace demo
