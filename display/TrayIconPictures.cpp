#include "display/TrayIconPictures.h"

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

}  // namespace

std::optional<Picture> PictureByName(std::string_view name) {
  for (const NamedPicture& entry : kPictures) {
    if (entry.name == name) return entry.picture;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeIco(const Picture& picture) {
  constexpr std::uint32_t kDirectorySize = 6 + 16;
  constexpr std::uint32_t kHeaderSize = 40;
  constexpr std::uint32_t kColourRowBytes = kPictureSize / 2;  // two 4-bit pixels a byte: 8, already a multiple of 4
  constexpr std::uint32_t kMaskRowBytes = 4;                   // 16 bits = 2 bytes, padded to 4
  constexpr std::uint32_t kColourBytes = kColourRowBytes * kPictureSize;
  constexpr std::uint32_t kMaskBytes = kMaskRowBytes * kPictureSize;
  constexpr std::uint32_t kImageSize = kHeaderSize + kPaletteSize * 4 + kColourBytes + kMaskBytes;
  static_assert(kDirectorySize + kImageSize == kIcoFileSize);

  std::vector<std::uint8_t> out;
  out.reserve(kIcoFileSize);

  // Icon directory with its single entry.
  Put16(out, 0);  // reserved
  Put16(out, 1);  // type: icon
  Put16(out, 1);  // image count
  out.push_back(kPictureSize);
  out.push_back(kPictureSize);
  out.push_back(kPaletteSize);
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 4);     // bits per pixel
  Put32(out, kImageSize);
  Put32(out, kDirectorySize);

  // The bitmap header counts the colour and mask bitmaps together: twice the icon's height.
  Put32(out, kHeaderSize);
  Put32(out, kPictureSize);
  Put32(out, 2 * kPictureSize);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, 0);  // uncompressed
  Put32(out, kColourBytes + kMaskBytes);
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
  for (int y = kPictureSize - 1; y >= 0; --y) {
    for (int x = 0; x < kPictureSize; x += 2) {
      const Pixel left = picture[y][x];
      const Pixel right = picture[y][x + 1];
      const std::uint8_t high = IsColour(left) ? static_cast<std::uint8_t>(left) : 0;
      const std::uint8_t low = IsColour(right) ? static_cast<std::uint8_t>(right) : 0;
      out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
  }
  for (int y = kPictureSize - 1; y >= 0; --y) {
    std::uint16_t bits = 0;
    for (int x = 0; x < kPictureSize; ++x) {
      if (!IsColour(picture[y][x])) bits = static_cast<std::uint16_t>(bits | (0x8000u >> x));
    }
    out.push_back(static_cast<std::uint8_t>(bits >> 8));
    out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    out.push_back(0);
    out.push_back(0);
  }
  return out;
}

}  // namespace rsw
