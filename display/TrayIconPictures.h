#pragma once
// The tray's base pictures and the application icon as pixel data, and their encoding as .ico
// files: the generator writes the files the resource script embeds, so the pictures are drawn in
// one place and the committed icons can be checked against them. The 16x16 pictures are drawn
// pixel by pixel; the tray pictures also come at the larger small-icon sizes of higher display
// scales (20, 24, 32), drawn from the same shapes at that size, so the shell never stretches them.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace rsw {

inline constexpr int kPictureSize = 16;

// A pixel is one of the 16 standard Windows colours or transparent. The colours are listed in the
// order of the standard 4-bit palette, so a colour's value is its palette index.
enum class Pixel : std::uint8_t {
  Black,
  Maroon,
  Green,
  Olive,
  Navy,
  Purple,
  Teal,
  Gray,
  Silver,
  Red,
  Lime,
  Yellow,
  Blue,
  Fuchsia,
  Aqua,
  White,
  Transparent,
};

inline constexpr int kPaletteSize = 16;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The standard 16-colour palette, indexed by Pixel.
inline constexpr std::array<Rgb, kPaletteSize> kStandardPalette{{
    {0x00, 0x00, 0x00},  // black
    {0x80, 0x00, 0x00},  // maroon
    {0x00, 0x80, 0x00},  // green
    {0x80, 0x80, 0x00},  // olive
    {0x00, 0x00, 0x80},  // navy
    {0x80, 0x00, 0x80},  // purple
    {0x00, 0x80, 0x80},  // teal
    {0x80, 0x80, 0x80},  // gray
    {0xC0, 0xC0, 0xC0},  // silver
    {0xFF, 0x00, 0x00},  // red
    {0x00, 0xFF, 0x00},  // lime
    {0xFF, 0xFF, 0x00},  // yellow
    {0x00, 0x00, 0xFF},  // blue
    {0xFF, 0x00, 0xFF},  // fuchsia
    {0x00, 0xFF, 0xFF},  // aqua
    {0xFF, 0xFF, 0xFF},  // white
}};

// Indexed [row][column]; row 0 is the top row, column 0 the left column.
using Picture = std::array<std::array<Pixel, kPictureSize>, kPictureSize>;

// The nine tray pictures in resource order, then the application icon. Each name is also the
// picture's resource name and, with ".ico", its file name.
inline constexpr std::array<std::string_view, 10> kPictureNames{
    "ICON_GREEN", "ICON_YELLOW", "ICON_RED",  "ICON_GREEN_O", "ICON_YELLOW_O",
    "ICON_RED_O", "ICON_IDLE",   "ICON_WORK", "ICON_WORK2",   "ICON_APP",
};

// The picture named exactly `name` (case matters), or nullopt for any other name.
std::optional<Picture> PictureByName(std::string_view name);

// Size of every encoded icon: directory (6 + 16 bytes), bitmap header (40), palette (16 x 4),
// colour rows (16 x 8) and mask rows (16 x 4, each padded to 4 bytes).
inline constexpr std::size_t kIcoFileSize = 6 + 16 + 40 + 64 + 128 + 64;

// `picture` as a .ico file holding one 16x16 image with 4 bits per pixel in the standard palette
// and its 1-bit AND mask. A transparent pixel has mask bit 1 and colour index 0 (black), so the
// screen shows through unchanged. A pixel value outside Pixel's range is written as transparent.
std::vector<std::uint8_t> EncodeIco(const Picture& picture);

// A square picture of any size, row 0 at the top.
struct SizedPicture {
  int size = 0;
  std::vector<Pixel> pixels;  // size x size, top row first
  Pixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
  friend bool operator==(const SizedPicture&, const SizedPicture&) = default;
};

SizedPicture Sized(const Picture& picture);

// The small-icon sizes the tray pictures come in: 96, 120, 144 and 192 DPI.
inline constexpr std::array<int, 4> kTraySizes{16, 20, 24, 32};

// The sizes a named picture's icon file holds: every tray size for the tray pictures; 16 and 32
// (each pixel doubled, which stays sharp) for the application icon; none for an unknown name.
std::vector<int> SizesOf(std::string_view name);

// The picture named `name` at `size`, or nullopt for an unknown name or a size it does not come in.
// At 16 it is PictureByName's.
std::optional<SizedPicture> PictureAtSize(std::string_view name, int size);

// The pictures as one .ico file with an image for each, in the given order; 4 bits per pixel in
// the standard palette with a 1-bit AND mask, like EncodeIco. Sizes from 1 to 255.
std::vector<std::uint8_t> EncodeIcoImages(const std::vector<SizedPicture>& images);

// The icon file of a named picture: all of SizesOf(name), smallest first; empty for an unknown name.
std::vector<std::uint8_t> EncodeIcoFile(std::string_view name);

}  // namespace rsw
