// Draws the Sorla icon (a blue rounded square with a white glyph) at 16, 32
// and 48 pixels and writes them as one .ico file of 32-bit images.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

struct Point {
  double x, y;
};

double length(Point p) { return std::sqrt(p.x * p.x + p.y * p.y); }

// Distance from p to the segment a-b.
double segment_distance(Point p, Point a, Point b) {
  const Point ab{b.x - a.x, b.y - a.y}, ap{p.x - a.x, p.y - a.y};
  double t = (ap.x * ab.x + ap.y * ab.y) / (ab.x * ab.x + ab.y * ab.y);
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return length({ap.x - t * ab.x, ap.y - t * ab.y});
}

// Coordinates run from 0 to 1, y downwards.
bool in_background(Point p) {
  constexpr double kRadius = 0.2, kInset = 0.02;
  const double dx = std::fabs(p.x - 0.5) - (0.5 - kInset - kRadius);
  const double dy = std::fabs(p.y - 0.5) - (0.5 - kInset - kRadius);
  if (dx <= 0 || dy <= 0) return dx <= kRadius && dy <= kRadius;
  return length({dx, dy}) <= kRadius;
}

// A glyph in the manner of a Khmer letter: a headstroke with a loop, and two
// arches standing on the line.
bool in_glyph(Point p) {
  constexpr double kHalfStroke = 0.055;
  constexpr double kTop = 0.3, kArchTop = 0.46, kBase = 0.76;
  if (segment_distance(p, {0.3, kTop}, {0.76, kTop}) <= kHalfStroke) return true;
  if (std::fabs(length({p.x - 0.25, p.y - kTop}) - 0.08) <= kHalfStroke * 0.6) return true;
  for (const double cx : {0.36, 0.64}) {
    constexpr double kArchRadius = 0.14;
    const double cy = kArchTop + kArchRadius;
    if (p.y <= cy && std::fabs(length({p.x - cx, p.y - cy}) - kArchRadius) <= kHalfStroke) {
      return true;
    }
    for (const double leg : {cx - kArchRadius, cx + kArchRadius}) {
      if (segment_distance(p, {leg, cy}, {leg, kBase}) <= kHalfStroke) return true;
    }
  }
  return false;
}

struct Pixel {
  std::uint8_t b, g, r, a;
};

std::vector<Pixel> draw(int size) {
  constexpr int kSamples = 4;
  std::vector<Pixel> pixels(static_cast<std::size_t>(size * size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int background = 0, glyph = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p{(x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size};
          if (!in_background(p)) continue;
          ++background;
          if (in_glyph(p)) ++glyph;
        }
      }
      const double alpha = background / double(kSamples * kSamples);
      const double white = background ? glyph / double(background) : 0;
      // Straight (not premultiplied) alpha, as icons store it.
      const auto mix = [&](double blue_channel) {
        return static_cast<std::uint8_t>(std::lround(blue_channel * (1 - white) + 255 * white));
      };
      pixels[static_cast<std::size_t>(y * size + x)] = {
          mix(192), mix(103), mix(0), static_cast<std::uint8_t>(std::lround(alpha * 255))};
    }
  }
  return pixels;
}

void put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// BITMAPINFOHEADER, bottom-up BGRA rows, then the 1-bit AND mask.
std::vector<std::uint8_t> dib(int size) {
  const std::vector<Pixel> pixels = draw(size);
  const int mask_stride = ((size + 31) / 32) * 4;
  std::vector<std::uint8_t> out;
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(size));
  put32(out, static_cast<std::uint32_t>(size * 2));  // colour and mask rows
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);
  put32(out, static_cast<std::uint32_t>(size * size * 4 + mask_stride * size));
  for (int i = 0; i < 4; ++i) put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const Pixel& p = pixels[static_cast<std::size_t>(y * size + x)];
      out.insert(out.end(), {p.b, p.g, p.r, p.a});
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(mask_stride), 0);
    for (int x = 0; x < size; ++x) {
      if (pixels[static_cast<std::size_t>(y * size + x)].a == 0) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
    return 2;
  }
  const int sizes[] = {16, 32, 48};
  std::vector<std::vector<std::uint8_t>> images;
  for (const int size : sizes) images.push_back(dib(size));

  std::vector<std::uint8_t> out;
  put16(out, 0);
  put16(out, 1);  // icon
  put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(sizes[i]));
    out.push_back(static_cast<std::uint8_t>(sizes[i]));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());

  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
