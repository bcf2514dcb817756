// Draws Quiltmark's pictures, capture cursor and application icon and writes them
// into the folder named on the command line:
//   idle.png, drag.png   the capture tool's two pictures (320 x 320 RGB)
//   capture.cur          the capture cursor (32 x 32, 32 bits with alpha)
//   quiltmark.ico        the application icon (ten images)
// All geometry is integer arithmetic, so every run writes the same bytes; the files
// in assets/ are this program's output and a unit test holds them to it.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kFrameGrey{100, 100, 100, 255};
constexpr Rgba kReticleBlue{0, 102, 255, 255};

struct Image {
  int width = 0, height = 0;
  std::vector<Rgba> pixels;

  Image(int w, int h, Rgba fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  Rgba& at(int x, int y) { return pixels[size_t(y) * width + x]; }
  const Rgba& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// ---------------------------------------------------------------------------------
// Coverage sampling. Shapes are tests on integer "design units" measured from the
// reticle's centre; one cursor pixel is 80 units, so the 320-pixel pictures (ten
// picture pixels to a cursor pixel) use 8 units a pixel. Sample points sit at odd
// unit offsets and every edge at an even one, so no sample ever lands on an edge.

constexpr int kUnit = 80;  // design units per cursor pixel

struct Raster {
  int unitsPerPixel;
  int samplesPerAxis;    // unitsPerPixel / (2 * samplesPerAxis) must be whole
  int centreX, centreY;  // the shapes' origin, in units from the image's top left
};

template <typename Shape>
std::vector<int> Coverage(int width, int height, const Raster& r, Shape inside) {
  std::vector<int> hits(size_t(width) * height, 0);
  const int step = r.unitsPerPixel / r.samplesPerAxis;
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      int count = 0;
      for (int j = 0; j < r.samplesPerAxis; ++j) {
        const int y = py * r.unitsPerPixel + j * step + step / 2 - r.centreY;
        for (int i = 0; i < r.samplesPerAxis; ++i) {
          const int x = px * r.unitsPerPixel + i * step + step / 2 - r.centreX;
          if (inside(x, y)) ++count;
        }
      }
      hits[size_t(py) * width + px] = count;
    }
  }
  return hits;
}

uint8_t Mix(int under, int over, int weight, int total) {
  return uint8_t((under * (total - weight) + over * weight + total / 2) / total);
}

// Paints an opaque colour over an opaque image, each pixel in proportion to its
// coverage.
void Paint(Image& image, const std::vector<int>& hits, int samples, Rgba colour) {
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    Rgba& p = image.pixels[i];
    p.r = Mix(p.r, colour.r, hits[i], samples);
    p.g = Mix(p.g, colour.g, hits[i], samples);
    p.b = Mix(p.b, colour.b, hits[i], samples);
  }
}

bool InBox(int x, int y, int cx, int cy, int halfW, int halfH) {
  return x > cx - halfW && x < cx + halfW && y > cy - halfH && y < cy + halfH;
}

// The reticle, in cursor pixels: a ring from radius 8.5 to 10.5, two one-pixel bars
// 27 pixels long, and on each arm three ticks at 3, 5 and 7 pixels out, 3, 5 and 7
// pixels across. Centred on a cursor pixel's middle, every straight edge falls on a
// pixel boundary, so the cursor is crisp except for the ring's rim.
bool InReticle(int x, int y) {
  constexpr int kRingIn = 680, kRingOut = 840;
  constexpr int kHalfBar = 40, kHalfLength = 1080;
  const int d2 = x * x + y * y;
  if (d2 > kRingIn * kRingIn && d2 < kRingOut * kRingOut) return true;
  if (InBox(x, y, 0, 0, kHalfBar, kHalfLength) || InBox(x, y, 0, 0, kHalfLength, kHalfBar)) {
    return true;
  }
  constexpr struct { int distance, halfSpan; } kTicks[] = {{240, 120}, {400, 200}, {560, 280}};
  for (const auto& t : kTicks) {
    for (int side : {-1, 1}) {
      const int at = side * t.distance;
      if (InBox(x, y, 0, at, t.halfSpan, kHalfBar) || InBox(x, y, at, 0, kHalfBar, t.halfSpan)) {
        return true;
      }
    }
  }
  return false;
}

// The picture's frame: a square 300 pixels across with a 12-pixel rim, split into
// four by a 10-pixel cross (in picture pixels; 8 units each).
bool InFrame(int x, int y) {
  constexpr int kOuter = 150 * 8, kInner = 138 * 8, kHalfCross = 5 * 8;
  if (!InBox(x, y, 0, 0, kOuter, kOuter)) return false;
  if (!InBox(x, y, 0, 0, kInner, kInner)) return true;
  return InBox(x, y, 0, 0, kHalfCross, kOuter) || InBox(x, y, 0, 0, kOuter, kHalfCross);
}

Image DrawPicture(bool withReticle) {
  constexpr int kSize = 320;
  const Raster raster{8, 4, 160 * 8, 160 * 8};
  const int samples = raster.samplesPerAxis * raster.samplesPerAxis;
  Image image(kSize, kSize, kWhite);
  Paint(image, Coverage(kSize, kSize, raster, InFrame), samples, kFrameGrey);
  if (withReticle) Paint(image, Coverage(kSize, kSize, raster, InReticle), samples, kReticleBlue);
  return image;
}

// The cursor's hotspot is pixel (16, 16), so the reticle is centred on its middle.
Image DrawCursor() {
  constexpr int kSize = 32;
  const Raster raster{kUnit, 8, 16 * kUnit + kUnit / 2, 16 * kUnit + kUnit / 2};
  const int samples = raster.samplesPerAxis * raster.samplesPerAxis;
  const std::vector<int> hits = Coverage(kSize, kSize, raster, InReticle);
  Image image(kSize, kSize, Rgba{});
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    if (hits[i] == 0) continue;
    image.pixels[i] = kReticleBlue;
    image.pixels[i].a = Mix(0, 255, hits[i], samples);
  }
  return image;
}

// ---------------------------------------------------------------------------------
// The icon: four window tiles in a 2 x 2 quilt, each with an outline, a coloured
// title bar and a white body; the larger sizes add lines of content. Drawn per size
// on whole pixels. Every colour is in the 8-bit palette's colour cube; the 4-bit
// images take the nearest of the sixteen standard colours.

void FillRect(Image& image, int x, int y, int w, int h, Rgba colour) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) image.at(i, j) = colour;
  }
}

Image DrawIcon(int size) {
  constexpr Rgba kOutline{51, 51, 51, 255};
  constexpr Rgba kContent{204, 204, 204, 255};
  constexpr Rgba kTitles[] = {
      kReticleBlue, {255, 153, 0, 255}, {51, 153, 51, 255}, {204, 51, 51, 255}};
  struct Layout {
    int margin, gap, tile, title;
    std::vector<int> contentRows;  // rows of content lines, from the tile's top
  };
  // 20 and 24 are the small icon at 125 % and 150 %: too small for lines of content.
  const Layout layout = size == 16   ? Layout{0, 2, 7, 2, {}}
                        : size == 20 ? Layout{0, 2, 9, 2, {}}
                        : size == 24 ? Layout{1, 2, 10, 3, {}}
                        : size == 32 ? Layout{1, 2, 14, 3, {6, 9}}
                                     : Layout{2, 2, 21, 4, {8, 11, 14, 17}};
  Image image(size, size, Rgba{});
  for (int k = 0; k < 4; ++k) {
    const int x = layout.margin + (k % 2) * (layout.tile + layout.gap);
    const int y = layout.margin + (k / 2) * (layout.tile + layout.gap);
    const int t = layout.tile;
    FillRect(image, x, y, t, t, kOutline);
    FillRect(image, x + 1, y + 1, t - 2, layout.title, kTitles[k]);
    const int bodyTop = y + 1 + layout.title;
    FillRect(image, x + 1, bodyTop, t - 2, y + t - 1 - bodyTop, kWhite);
    for (size_t n = 0; n < layout.contentRows.size(); ++n) {
      // Lines of text of uneven length, the last one short.
      const int length = (t - 6) - int(n % 2) * 2 - (n + 1 == layout.contentRows.size() ? 4 : 0);
      FillRect(image, x + 3, y + layout.contentRows[n], length, 1, kContent);
    }
  }
  return image;
}

// ---------------------------------------------------------------------------------
// Palettes for the 4- and 8-bit icon images. Index 0 is black in both, so a pixel
// the mask makes transparent leaves the screen as it is.

std::vector<Rgba> SixteenColours() {
  return {{0, 0, 0, 255},       {128, 0, 0, 255},   {0, 128, 0, 255},   {128, 128, 0, 255},
          {0, 0, 128, 255},     {128, 0, 128, 255}, {0, 128, 128, 255}, {192, 192, 192, 255},
          {128, 128, 128, 255}, {255, 0, 0, 255},   {0, 255, 0, 255},   {255, 255, 0, 255},
          {0, 0, 255, 255},     {255, 0, 255, 255}, {0, 255, 255, 255}, {255, 255, 255, 255}};
}

// A 6 x 6 x 6 colour cube followed by 40 greys between its steps.
std::vector<Rgba> CubePalette() {
  std::vector<Rgba> palette;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b)
        palette.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 255});
    }
  }
  for (int k = 1; palette.size() < 256; ++k) {
    const auto v = uint8_t(k * 255 / 41);
    palette.push_back({v, v, v, 255});
  }
  return palette;
}

uint8_t Nearest(const std::vector<Rgba>& palette, Rgba c) {
  int best = 0, bestDistance = 1 << 30;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) best = int(i), bestDistance = distance;
  }
  return uint8_t(best);
}

// ---------------------------------------------------------------------------------
// Little-endian and big-endian byte output.

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put32Be(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// ---------------------------------------------------------------------------------
// PNG: 8-bit RGB, each row unfiltered, one IDAT. The ground is opaque, so alpha is
// dropped.

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  Put32Be(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32Be(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

Bytes EncodePng(const Image& image) {
  Bytes raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < image.width; ++x) {
      const Rgba& p = image.at(x, y);
      raw.insert(raw.end(), {p.r, p.g, p.b});
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK) return {};
  packed.resize(packedSize);

  Bytes header;
  Put32Be(header, uint32_t(image.width));
  Put32Be(header, uint32_t(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // depth 8, RGB, deflate, no filter, no interlace

  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

// ---------------------------------------------------------------------------------
// Icon and cursor images: a BITMAPINFOHEADER with twice the height (colour image
// and mask), the palette if any, the colour rows bottom-up, then the 1-bit AND mask
// (1 = transparent). Rows of both are padded to four bytes.

Bytes EncodeDib(const Image& image, int bitsPerPixel) {
  const std::vector<Rgba> palette = bitsPerPixel == 4   ? SixteenColours()
                                    : bitsPerPixel == 8 ? CubePalette()
                                                        : std::vector<Rgba>{};
  const int w = image.width, h = image.height;
  const int colourStride = (w * bitsPerPixel + 31) / 32 * 4;
  const int maskStride = (w + 31) / 32 * 4;

  Bytes out;
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(2 * h));
  Put16(out, 1);  // planes
  Put16(out, uint32_t(bitsPerPixel));
  Put32(out, 0);  // BI_RGB
  Put32(out, uint32_t((colourStride + maskStride) * h));
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution, colours used and important
  for (const Rgba& c : palette) out.insert(out.end(), {c.b, c.g, c.r, 0});

  for (int y = h - 1; y >= 0; --y) {
    Bytes row(colourStride, 0);
    for (int x = 0; x < w; ++x) {
      const Rgba& p = image.at(x, y);
      if (bitsPerPixel == 32) {
        row[4 * x] = p.b, row[4 * x + 1] = p.g, row[4 * x + 2] = p.r, row[4 * x + 3] = p.a;
        continue;
      }
      const uint8_t index = p.a == 0 ? 0 : Nearest(palette, p);
      if (bitsPerPixel == 8) {
        row[x] = index;
      } else {
        row[x / 2] |= uint8_t(x % 2 ? index : index << 4);
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(maskStride, 0);
    for (int x = 0; x < w; ++x) {
      if (image.at(x, y).a == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

struct DirectoryEntry {
  int size;
  int colourCount;          // 16 for 4-bit images, else 0
  uint16_t field1, field2;  // icon: planes and bits; cursor: hotspot x and y
  Bytes data;
};

// An icon (type 1) or cursor (type 2) file: the directory, then each image.
Bytes EncodeDirectory(int type, const std::vector<DirectoryEntry>& entries) {
  Bytes out;
  Put16(out, 0);
  Put16(out, uint32_t(type));
  Put16(out, uint32_t(entries.size()));
  size_t offset = 6 + 16 * entries.size();
  for (const DirectoryEntry& e : entries) {
    out.insert(out.end(), {uint8_t(e.size), uint8_t(e.size), uint8_t(e.colourCount), 0});
    Put16(out, e.field1);
    Put16(out, e.field2);
    Put32(out, uint32_t(e.data.size()));
    Put32(out, uint32_t(offset));
    offset += e.data.size();
  }
  for (const DirectoryEntry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
  return out;
}

Bytes MakeIcon() {
  constexpr struct {
    int size, bits;
  } kImages[] = {{16, 4},  {32, 4},  {16, 8},  {32, 8},  {48, 8},
                 {16, 32}, {20, 32}, {24, 32}, {32, 32}, {48, 32}};
  std::vector<DirectoryEntry> entries;
  for (const auto& i : kImages) {
    entries.push_back(
        {i.size, i.bits == 4 ? 16 : 0, 1, uint16_t(i.bits), EncodeDib(DrawIcon(i.size), i.bits)});
  }
  return EncodeDirectory(1, entries);
}

Bytes MakeCursor() { return EncodeDirectory(2, {{32, 0, 16, 16, EncodeDib(DrawCursor(), 32)}}); }

bool SaveFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written && !bytes.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const struct {
    const char* name;
    Bytes bytes;
  } files[] = {{"idle.png", EncodePng(DrawPicture(true))},
               {"drag.png", EncodePng(DrawPicture(false))},
               {"capture.cur", MakeCursor()},
               {"quiltmark.ico", MakeIcon()}};
  for (const auto& f : files) {
    if (!SaveFile(folder + f.name, f.bytes)) {
      std::fprintf(stderr, "make_assets: cannot write %s%s\n", folder.c_str(), f.name);
      return 1;
    }
  }
  return 0;
}
