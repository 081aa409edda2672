#include "display/TrayIconPictures.h"

#include <algorithm>
#include <cstddef>

namespace rsw {
namespace {

// One letter per palette colour, in palette order; '.' is transparent:
// K black, M maroon, G green, O olive, N navy, P purple, T teal, D gray (dark), S silver,
// R red, L lime, Y yellow, B blue, F fuchsia, C aqua (cyan), W white.
constexpr std::string_view kLetters = "KMGONPTDSRLYBFCW";

consteval Pixel FromLetter(char letter) {
  if (letter == '.') return Pixel::Transparent;
  for (std::size_t i = 0; i < kLetters.size(); ++i) {
    if (kLetters[i] == letter) return static_cast<Pixel>(i);
  }
  throw "a picture uses a letter outside the legend";  // evaluated only at compile time: stops the build
}

consteval Picture Draw(const std::array<std::string_view, kPictureSize>& rows) {
  Picture picture{};
  for (std::size_t y = 0; y < rows.size(); ++y) {
    if (rows[y].size() != kPictureSize) throw "a picture row is not 16 pixels wide";
    for (std::size_t x = 0; x < rows[y].size(); ++x) picture[y][x] = FromLetter(rows[y][x]);
  }
  return picture;
}

struct NamedPicture {
  std::string_view name;
  Picture picture;
};

// The three colour states keep rows 0 to 10 free and the idle and work pictures rows 5 to 15, for
// the free megabytes drawn into the mask at run time. Green is lime: the dark standard green is
// hard to tell from black on a dark taskbar.
constexpr std::array<NamedPicture, kPictureNames.size()> kPictures{{
    {"ICON_GREEN", Draw({
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       ".KKKKKKKKKKKKKK.",
                       ".KLLLLLLLLLLLLK.",
                       ".KLLLLLLLLLLLLK.",
                       ".KLLLLLLLLLLLLK.",
                       ".KKKKKKKKKKKKKK.",
                   })},
    {"ICON_YELLOW", Draw({
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        "................",
                        ".KKKKKKKKKKKKKK.",
                        ".KYYYYYYY.....K.",
                        ".KYYYYYYY.....K.",
                        ".KYYYYYYY.....K.",
                        ".KKKKKKKKKKKKKK.",
                    })},
    {"ICON_RED", Draw({
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     "................",
                     ".KKKKKKKKKKKKKK.",
                     ".KRRRR........K.",
                     ".KRRRR........K.",
                     ".KRRRR........K.",
                     ".KKKKKKKKKKKKKK.",
                 })},
    // Background activity off: a shorter bar and a ring ("off") beside it.
    {"ICON_GREEN_O", Draw({
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         "................",
                         ".KKKKKKKKKK..KK.",
                         ".KLLLLLLLLK.K..K",
                         ".KLLLLLLLLK.K..K",
                         ".KLLLLLLLLK.K..K",
                         ".KKKKKKKKKK..KK.",
                     })},
    {"ICON_YELLOW_O", Draw({
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          "................",
                          ".KKKKKKKKKK..KK.",
                          ".KYYYYYY..K.K..K",
                          ".KYYYYYY..K.K..K",
                          ".KYYYYYY..K.K..K",
                          ".KKKKKKKKKK..KK.",
                      })},
    {"ICON_RED_O", Draw({
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       ".KKKKKKKKKK..KK.",
                       ".KRRRR....K.K..K",
                       ".KRRRR....K.K..K",
                       ".KRRRR....K.K..K",
                       ".KKKKKKKKKK..KK.",
                   })},
    {"ICON_IDLE", Draw({
                      ".KKKKKKKKKKKKKK.",
                      ".K..LL....LL..K.",
                      ".K.L..L..L..L.K.",
                      ".KL....LL....LK.",
                      ".KKKKKKKKKKKKKK.",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                  })},
    {"ICON_WORK", Draw({
                      ".KKKKK....KKKKK.",
                      ".KRRRK....KLLLK.",
                      ".KRRRKKKKKKLLLK.",
                      ".KRRRK....KLLLK.",
                      ".KKKKK....KKKKK.",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                      "................",
                  })},
    {"ICON_WORK2", Draw({
                       ".KKKKK....KKKKK.",
                       ".KLLLK....KRRRK.",
                       ".KLLLKKKKKKRRRK.",
                       ".KLLLK....KRRRK.",
                       ".KKKKK....KKKKK.",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                       "................",
                   })},
    // A memory chip above the full green bar of the tray.
    {"ICON_APP", Draw({
                     "..K.K.K..K.K.K..",
                     ".KKKKKKKKKKKKKK.",
                     ".KDDDDDDDDDDDDK.",
                     ".KDWDDDDDDDDDDK.",
                     ".KDDDDDDDDDDDDK.",
                     ".KDDDDDDDDDDDDK.",
                     ".KDDDDDDDDDDDDK.",
                     ".KKKKKKKKKKKKKK.",
                     "..K.K.K..K.K.K..",
                     "................",
                     "................",
                     ".KKKKKKKKKKKKKK.",
                     ".KLLLLLLLLLLLLK.",
                     ".KLLLLLLLLLLLLK.",
                     ".KLLLLLLLLLLLLK.",
                     ".KKKKKKKKKKKKKK.",
                 })},
}};

static_assert(
    [] {
      for (std::size_t i = 0; i < kPictures.size(); ++i) {
        if (kPictures[i].name != kPictureNames[i]) return false;
      }
      return true;
    }(),
    "the pictures follow the order of kPictureNames");

// Little-endian, as every field of the icon format is.
void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

bool IsColour(Pixel pixel) { return static_cast<std::uint8_t>(pixel) < kPaletteSize; }

// The larger tray pictures: the shapes of the 16-pixel ones at another size. Columns and rows are
// inclusive; `outline` is the width of the black frames.
struct TrayShape {
  int size;
  int outline;
  int barTop;   // the colour bar fills rows barTop .. size - 1
  int barLeft;  // and columns barLeft .. barRight
  int barRight;
  int shortBarRight;  // the bar beside the ring while background activity is off
  int ringLeft;       // the ring fills columns ringLeft .. size - 1 beside it
  int topBottom;      // the idle and work pictures fill rows 0 .. topBottom
  int boxWidth;       // each box of the work pictures
};

constexpr std::array<TrayShape, 3> kShapes{{
    {20, 1, 14, 1, 18, 13, 15, 5, 6},
    {24, 1, 17, 1, 22, 15, 17, 6, 7},
    {32, 2, 22, 2, 29, 20, 23, 9, 9},
}};

class Canvas {
 public:
  explicit Canvas(int size) {
    m_picture.size = size;
    m_picture.pixels.assign(static_cast<std::size_t>(size * size), Pixel::Transparent);
  }
  void Fill(int left, int top, int right, int bottom, Pixel pixel) {
    for (int y = std::max(top, 0); y <= std::min(bottom, m_picture.size - 1); ++y) {
      for (int x = std::max(left, 0); x <= std::min(right, m_picture.size - 1); ++x) {
        m_picture.pixels[static_cast<std::size_t>(y * m_picture.size + x)] = pixel;
      }
    }
  }
  void Frame(int left, int top, int right, int bottom, int width, Pixel pixel) {
    Fill(left, top, right, top + width - 1, pixel);
    Fill(left, bottom - width + 1, right, bottom, pixel);
    Fill(left, top, left + width - 1, bottom, pixel);
    Fill(right - width + 1, top, right, bottom, pixel);
  }
  SizedPicture Take() { return std::move(m_picture); }

 private:
  SizedPicture m_picture;
};

// n x numerator / denominator, rounded half up.
int Portion(int n, int numerator, int denominator) { return (2 * n * numerator + denominator) / (2 * denominator); }

enum class Fill { Green, Yellow, Red };

SizedPicture DrawColourBar(const TrayShape& shape, Fill fill, bool ring) {
  Canvas canvas(shape.size);
  const int t = shape.outline;
  const int bottom = shape.size - 1;
  const int right = ring ? shape.shortBarRight : shape.barRight;
  canvas.Frame(shape.barLeft, shape.barTop, right, bottom, t, Pixel::Black);
  const int inner = right - shape.barLeft + 1 - 2 * t;
  // the filled share of the bar: all, 7 or 4 twelfths; 6 or 4 eighths of the shorter bar
  int filled = inner;
  Pixel colour = Pixel::Lime;
  if (fill == Fill::Yellow) {
    filled = ring ? Portion(inner, 6, 8) : Portion(inner, 7, 12);
    colour = Pixel::Yellow;
  }
  if (fill == Fill::Red) {
    filled = ring ? Portion(inner, 4, 8) : Portion(inner, 4, 12);
    colour = Pixel::Red;
  }
  const int innerLeft = shape.barLeft + t;
  canvas.Fill(innerLeft, shape.barTop + t, innerLeft + filled - 1, bottom - t, colour);
  if (ring) {
    // a frame with its corners cut off
    canvas.Frame(shape.ringLeft, shape.barTop, bottom, bottom, t, Pixel::Black);
    for (int x : {shape.ringLeft, bottom - t + 1}) {
      for (int y : {shape.barTop, bottom - t + 1}) canvas.Fill(x, y, x + t - 1, y + t - 1, Pixel::Transparent);
    }
  }
  return canvas.Take();
}

SizedPicture DrawIdle(const TrayShape& shape) {
  Canvas canvas(shape.size);
  const int t = shape.outline;
  canvas.Frame(shape.barLeft, 0, shape.barRight, shape.topBottom, t, Pixel::Black);
  const int left = shape.barLeft + t;
  const int width = shape.barRight - t - left + 1;
  const int top = t;
  const int lowest = shape.topBottom - t - (t - 1);  // the wave is `t` pixels thick
  // Two periods of a wave across the bar, from its lowest point: (1 - cos) / 2 in thousandths at
  // sixteen steps a period, in integers, so every compiler draws the same pixels.
  constexpr std::array<int, 16> kWave{0, 38, 146, 309, 500, 691, 854, 962, 1000, 962, 854, 691, 500, 309, 146, 38};
  int previous = -1;
  for (int i = 0; i < width; ++i) {
    const int step = (i * 32 / width) % 16;
    const int y = lowest - (kWave[static_cast<std::size_t>(step)] * (lowest - top) + 500) / 1000;
    const int from = previous < 0 ? y : std::min(y, previous + (y > previous ? 1 : 0));
    const int to = previous < 0 ? y : std::max(y, previous - (y < previous ? 1 : 0));
    canvas.Fill(left + i, from, left + i, to + t - 1, Pixel::Lime);
    previous = y;
  }
  return canvas.Take();
}

SizedPicture DrawWork(const TrayShape& shape, bool swapped) {
  Canvas canvas(shape.size);
  const int t = shape.outline;
  const int rightBox = shape.barRight - shape.boxWidth + 1;
  const int middle = (shape.topBottom + 1 - t) / 2;
  canvas.Fill(shape.barLeft, middle, shape.barRight, middle + t - 1, Pixel::Black);
  for (const auto& [left, colour] : {std::pair{shape.barLeft, swapped ? Pixel::Lime : Pixel::Red},
                                     std::pair{rightBox, swapped ? Pixel::Red : Pixel::Lime}}) {
    canvas.Fill(left, 0, left + shape.boxWidth - 1, shape.topBottom, colour);
    canvas.Frame(left, 0, left + shape.boxWidth - 1, shape.topBottom, t, Pixel::Black);
  }
  return canvas.Take();
}

SizedPicture Doubled(const SizedPicture& picture) {
  Canvas canvas(picture.size * 2);
  for (int y = 0; y < picture.size; ++y) {
    for (int x = 0; x < picture.size; ++x) canvas.Fill(2 * x, 2 * y, 2 * x + 1, 2 * y + 1, picture.At(x, y));
  }
  return canvas.Take();
}

std::optional<SizedPicture> DrawAtSize(std::string_view name, const TrayShape& shape) {
  if (name == "ICON_GREEN") return DrawColourBar(shape, Fill::Green, false);
  if (name == "ICON_YELLOW") return DrawColourBar(shape, Fill::Yellow, false);
  if (name == "ICON_RED") return DrawColourBar(shape, Fill::Red, false);
  if (name == "ICON_GREEN_O") return DrawColourBar(shape, Fill::Green, true);
  if (name == "ICON_YELLOW_O") return DrawColourBar(shape, Fill::Yellow, true);
  if (name == "ICON_RED_O") return DrawColourBar(shape, Fill::Red, true);
  if (name == "ICON_IDLE") return DrawIdle(shape);
  if (name == "ICON_WORK") return DrawWork(shape, false);
  if (name == "ICON_WORK2") return DrawWork(shape, true);
  return std::nullopt;
}

}  // namespace

std::optional<Picture> PictureByName(std::string_view name) {
  for (const NamedPicture& entry : kPictures) {
    if (entry.name == name) return entry.picture;
  }
  return std::nullopt;
}

SizedPicture Sized(const Picture& picture) {
  SizedPicture sized{kPictureSize, {}};
  sized.pixels.reserve(kPictureSize * kPictureSize);
  for (const auto& row : picture) sized.pixels.insert(sized.pixels.end(), row.begin(), row.end());
  return sized;
}

std::vector<int> SizesOf(std::string_view name) {
  if (!PictureByName(name)) return {};
  if (name == "ICON_APP") return {16, 32};
  return {kTraySizes.begin(), kTraySizes.end()};
}

std::optional<SizedPicture> PictureAtSize(std::string_view name, int size) {
  const std::optional<Picture> base = PictureByName(name);
  if (!base) return std::nullopt;
  if (size == kPictureSize) return Sized(*base);
  if (name == "ICON_APP") return size == 2 * kPictureSize ? std::optional(Doubled(Sized(*base))) : std::nullopt;
  for (const TrayShape& shape : kShapes) {
    if (shape.size == size) return DrawAtSize(name, shape);
  }
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeIco(const Picture& picture) { return EncodeIcoImages({Sized(picture)}); }

std::vector<std::uint8_t> EncodeIcoFile(std::string_view name) {
  std::vector<SizedPicture> images;
  for (int size : SizesOf(name)) {
    if (auto picture = PictureAtSize(name, size)) images.push_back(std::move(*picture));
  }
  return images.empty() ? std::vector<std::uint8_t>{} : EncodeIcoImages(images);
}

std::vector<std::uint8_t> EncodeIcoImages(const std::vector<SizedPicture>& images) {
  constexpr std::uint32_t kHeaderSize = 40;
  // Rows are padded to whole 4-byte words: two 4-bit pixels a byte in the colour bitmap, eight
  // pixels a byte in the mask.
  const auto colourRowBytes = [](int size) { return static_cast<std::uint32_t>((size * 4 + 31) / 32 * 4); };
  const auto maskRowBytes = [](int size) { return static_cast<std::uint32_t>((size + 31) / 32 * 4); };
  const auto imageSize = [&](int size) {
    return kHeaderSize + kPaletteSize * 4 +
           (colourRowBytes(size) + maskRowBytes(size)) * static_cast<std::uint32_t>(size);
  };

  std::vector<std::uint8_t> out;
  // Icon directory with one entry per image.
  Put16(out, 0);  // reserved
  Put16(out, 1);  // type: icon
  Put16(out, static_cast<std::uint16_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (const SizedPicture& image : images) {
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(static_cast<std::uint8_t>(image.size));
    out.push_back(kPaletteSize);
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 4);     // bits per pixel
    Put32(out, imageSize(image.size));
    Put32(out, offset);
    offset += imageSize(image.size);
  }

  for (const SizedPicture& image : images) {
    const int size = image.size;
    // The bitmap header counts the colour and mask bitmaps together: twice the icon's height.
    Put32(out, kHeaderSize);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(2 * size));
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, 0);  // uncompressed
    Put32(out, (colourRowBytes(size) + maskRowBytes(size)) * static_cast<std::uint32_t>(size));
    Put32(out, 0);  // horizontal resolution: unspecified
    Put32(out, 0);  // vertical resolution: unspecified
    Put32(out, 0);  // colours used: all 16
    Put32(out, 0);  // important colours: all

    for (const Rgb& colour : kStandardPalette) {
      out.push_back(colour.blue);
      out.push_back(colour.green);
      out.push_back(colour.red);
      out.push_back(0);
    }

    // Both bitmaps are stored bottom row first; the leftmost pixel takes the high bits of its byte.
    for (int y = size - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(colourRowBytes(size), 0);
      for (int x = 0; x < size; ++x) {
        const Pixel pixel = image.At(x, y);
        const std::uint8_t index = IsColour(pixel) ? static_cast<std::uint8_t>(pixel) : 0;
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
      }
      out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(maskRowBytes(size), 0);
      for (int x = 0; x < size; ++x) {
        if (!IsColour(image.At(x, y)))
          row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  return out;
}

}  // namespace rsw
