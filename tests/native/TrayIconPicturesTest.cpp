#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "display/TrayIconPictures.h"

#ifndef RSW_SOURCE_DIR
#error "RSW_SOURCE_DIR must name the source tree, so the test can read the committed icons"
#endif

namespace rsw {
namespace {

constexpr int kN = kPictureSize;

Picture Named(std::string_view name) {
  const std::optional<Picture> picture = PictureByName(name);
  if (!picture) ADD_FAILURE() << "no picture named " << name;
  return picture.value_or(Picture{});
}

Picture Blank() {
  Picture picture;
  for (auto& row : picture) row.fill(Pixel::Transparent);
  return picture;
}

bool IsColour(Pixel pixel) { return static_cast<int>(pixel) < kPaletteSize; }

// Rows first..last (inclusive) hold only transparent pixels.
void ExpectRowsTransparent(const Picture& picture, int first, int last) {
  for (int y = first; y <= last; ++y) {
    for (int x = 0; x < kN; ++x) EXPECT_EQ(picture[y][x], Pixel::Transparent) << "row " << y << " column " << x;
  }
}

// The border of the rectangle (rows top..bottom, columns left..right) is black.
void ExpectFrame(const Picture& picture, int top, int bottom, int left, int right) {
  for (int x = left; x <= right; ++x) {
    EXPECT_EQ(picture[top][x], Pixel::Black) << "top edge, column " << x;
    EXPECT_EQ(picture[bottom][x], Pixel::Black) << "bottom edge, column " << x;
  }
  for (int y = top; y <= bottom; ++y) {
    EXPECT_EQ(picture[y][left], Pixel::Black) << "left edge, row " << y;
    EXPECT_EQ(picture[y][right], Pixel::Black) << "right edge, row " << y;
  }
}

void ExpectColumnsTransparent(const Picture& picture, int top, int bottom, int left, int right) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) EXPECT_EQ(picture[y][x], Pixel::Transparent) << "row " << y << " column " << x;
  }
}

// The inner rows of a bar hold `filled` columns of `fill` from innerLeft on and leave the rest of
// the inner width transparent.
void ExpectFill(const Picture& picture, int top, int bottom, int innerLeft, int innerWidth, int filled, Pixel fill) {
  for (int y = top; y <= bottom; ++y) {
    for (int i = 0; i < innerWidth; ++i) {
      const Pixel expected = i < filled ? fill : Pixel::Transparent;
      EXPECT_EQ(picture[y][innerLeft + i], expected) << "row " << y << " inner column " << i;
    }
  }
}

// ---- the pictures ----

TEST(TrayIconPictures, EveryNameGivesAPictureAndNoTwoAreAlike) {
  std::vector<Picture> seen;
  for (std::string_view name : kPictureNames) {
    const std::optional<Picture> picture = PictureByName(name);
    ASSERT_TRUE(picture.has_value()) << name;
    for (const Picture& other : seen) EXPECT_NE(*picture, other) << name;
    seen.push_back(*picture);
  }
}

TEST(TrayIconPictures, OtherNamesGiveNothing) {
  for (std::string_view name : {"", "ICON_BLUE", "icon_green", "ICON_GREEN ", "ICON_GREEN.ico", "ICON_WORK3", "1"}) {
    EXPECT_FALSE(PictureByName(name).has_value()) << '"' << name << '"';
  }
}

TEST(TrayIconPictures, EveryPixelIsTransparentOrAStandardColour) {
  for (std::string_view name : kPictureNames) {
    const Picture picture = Named(name);
    int opaque = 0;
    for (const auto& row : picture) {
      for (Pixel pixel : row) {
        EXPECT_TRUE(pixel == Pixel::Transparent || IsColour(pixel)) << name << ": " << static_cast<int>(pixel);
        if (pixel != Pixel::Transparent) ++opaque;
      }
    }
    EXPECT_GT(opaque, 0) << name;
  }
}

// Every coloured pixel lies inside a black outline: walking in from outside the picture through
// anything but black never reaches a colour other than black.
TEST(TrayIconPictures, ColouredPixelsAreEnclosedByBlack) {
  for (std::string_view name : kPictureNames) {
    const Picture picture = Named(name);
    std::array<std::array<bool, kN>, kN> reached{};
    std::vector<std::pair<int, int>> open;
    for (int i = 0; i < kN; ++i) {
      for (auto [y, x] : {std::pair{0, i}, std::pair{kN - 1, i}, std::pair{i, 0}, std::pair{i, kN - 1}}) {
        if (picture[y][x] != Pixel::Black && !reached[y][x]) {
          reached[y][x] = true;
          open.emplace_back(y, x);
        }
      }
    }
    while (!open.empty()) {
      const auto [y, x] = open.back();
      open.pop_back();
      EXPECT_EQ(picture[y][x], Pixel::Transparent) << name << ": row " << y << " column " << x << " is not enclosed";
      for (auto [dy, dx] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
        const int ny = y + dy;
        const int nx = x + dx;
        if (ny < 0 || ny >= kN || nx < 0 || nx >= kN || reached[ny][nx] || picture[ny][nx] == Pixel::Black) continue;
        reached[ny][nx] = true;
        open.emplace_back(ny, nx);
      }
    }
  }
}

struct BarCase {
  std::string_view name;
  Pixel fill;
  int filled;
  bool withRing;
};

void PrintTo(const BarCase& c, std::ostream* os) { *os << c.name; }

class ColourStateTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ColourStateTest, BarInTheBottomRowsAndTheTopLeftFree) {
  const BarCase& c = GetParam();
  const Picture picture = Named(c.name);
  ExpectRowsTransparent(picture, 0, 10);
  const int right = c.withRing ? 10 : 14;
  ExpectFrame(picture, 11, 15, 1, right);
  ExpectFill(picture, 12, 14, 2, right - 2, c.filled, c.fill);
  ExpectColumnsTransparent(picture, 11, 15, 0, 0);
  if (!c.withRing) {
    ExpectColumnsTransparent(picture, 11, 15, 15, 15);
    return;
  }
  ExpectColumnsTransparent(picture, 11, 15, 11, 11);
  // A ring in columns 12 to 15: black wherever it is drawn, open (transparent) in the middle,
  // closed on all four sides.
  for (int y = 11; y <= 15; ++y) {
    for (int x = 12; x <= 15; ++x) {
      EXPECT_TRUE(picture[y][x] == Pixel::Black || picture[y][x] == Pixel::Transparent)
          << "row " << y << " column " << x;
    }
  }
  ExpectColumnsTransparent(picture, 12, 14, 13, 14);
  for (int y = 12; y <= 14; ++y) {
    EXPECT_EQ(picture[y][12], Pixel::Black) << "row " << y;
    EXPECT_EQ(picture[y][15], Pixel::Black) << "row " << y;
  }
  for (int x = 13; x <= 14; ++x) {
    EXPECT_EQ(picture[11][x], Pixel::Black) << "column " << x;
    EXPECT_EQ(picture[15][x], Pixel::Black) << "column " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColourStateTest,
    ::testing::Values(BarCase{"ICON_GREEN", Pixel::Lime, 12, false}, BarCase{"ICON_YELLOW", Pixel::Yellow, 7, false},
                      BarCase{"ICON_RED", Pixel::Red, 4, false}, BarCase{"ICON_GREEN_O", Pixel::Lime, 8, true},
                      BarCase{"ICON_YELLOW_O", Pixel::Yellow, 6, true}, BarCase{"ICON_RED_O", Pixel::Red, 4, true}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

TEST(TrayIconPictures, IdleIsABarWithAGreenWaveAndTheBottomFree) {
  const Picture picture = Named("ICON_IDLE");
  ExpectRowsTransparent(picture, 5, 15);
  ExpectFrame(picture, 0, 4, 1, 14);
  ExpectColumnsTransparent(picture, 0, 4, 0, 0);
  ExpectColumnsTransparent(picture, 0, 4, 15, 15);
  // A line: exactly one green pixel in every inner column, each a neighbour of the last, and a
  // wave: it both rises and falls.
  int previousRow = -1;
  bool rises = false;
  bool falls = false;
  for (int x = 2; x <= 13; ++x) {
    int row = -1;
    for (int y = 1; y <= 3; ++y) {
      if (picture[y][x] == Pixel::Lime) {
        EXPECT_EQ(row, -1) << "two wave pixels in column " << x;
        row = y;
      } else {
        EXPECT_EQ(picture[y][x], Pixel::Transparent) << "row " << y << " column " << x;
      }
    }
    ASSERT_NE(row, -1) << "the wave misses column " << x;
    if (previousRow != -1) {
      EXPECT_LE(std::abs(row - previousRow), 1) << "the wave breaks at column " << x;
      rises = rises || row < previousRow;
      falls = falls || row > previousRow;
    }
    previousRow = row;
  }
  EXPECT_TRUE(rises && falls);
}

struct WorkCase {
  std::string_view name;
  Pixel left;
  Pixel right;
};

void PrintTo(const WorkCase& c, std::ostream* os) { *os << c.name; }

class WorkPictureTest : public ::testing::TestWithParam<WorkCase> {};

TEST_P(WorkPictureTest, TwoFilledBoxesJoinedThroughRowTwo) {
  const WorkCase& c = GetParam();
  const Picture picture = Named(c.name);
  ExpectRowsTransparent(picture, 5, 15);
  ExpectFrame(picture, 0, 4, 1, 5);
  ExpectFrame(picture, 0, 4, 10, 14);
  ExpectFill(picture, 1, 3, 2, 3, 3, c.left);
  ExpectFill(picture, 1, 3, 11, 3, 3, c.right);
  for (int x = 6; x <= 9; ++x) EXPECT_EQ(picture[2][x], Pixel::Black) << "line, column " << x;
  ExpectColumnsTransparent(picture, 0, 1, 6, 9);
  ExpectColumnsTransparent(picture, 3, 4, 6, 9);
  ExpectColumnsTransparent(picture, 0, 4, 0, 0);
  ExpectColumnsTransparent(picture, 0, 4, 15, 15);
}

INSTANTIATE_TEST_SUITE_P(Table, WorkPictureTest,
                         ::testing::Values(WorkCase{"ICON_WORK", Pixel::Red, Pixel::Lime},
                                           WorkCase{"ICON_WORK2", Pixel::Lime, Pixel::Red}),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST(TrayIconPictures, SecondWorkPictureIsTheFirstWithRedAndGreenSwapped) {
  Picture swapped = Named("ICON_WORK");
  for (auto& row : swapped) {
    for (Pixel& pixel : row) {
      if (pixel == Pixel::Red) {
        pixel = Pixel::Lime;
      } else if (pixel == Pixel::Lime) {
        pixel = Pixel::Red;
      }
    }
  }
  EXPECT_EQ(swapped, Named("ICON_WORK2"));
}

// ---- the .ico encoding ----

std::uint32_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

constexpr std::size_t kImage = 22;                    // the bitmap header follows the directory
constexpr std::size_t kPalette = kImage + 40;         // then the palette
constexpr std::size_t kColourRows = kPalette + 64;    // then 16 rows of 8 bytes, bottom row first
constexpr std::size_t kMaskRows = kColourRows + 128;  // then 16 rows of 4 bytes, bottom row first

TEST(EncodeIco, DirectoryAndBitmapHeaderDescribeOne16By16ImageOf16Colours) {
  const std::vector<std::uint8_t> bytes = EncodeIco(Named("ICON_GREEN"));
  ASSERT_EQ(bytes.size(), 318u);
  EXPECT_EQ(Read16(bytes, 0), 0u);   // reserved
  EXPECT_EQ(Read16(bytes, 2), 1u);   // an icon, not a cursor
  EXPECT_EQ(Read16(bytes, 4), 1u);   // one image
  EXPECT_EQ(bytes[6], 16);           // width
  EXPECT_EQ(bytes[7], 16);           // height
  EXPECT_EQ(bytes[8], 16);           // colours
  EXPECT_EQ(bytes[9], 0);            // reserved
  EXPECT_EQ(Read16(bytes, 10), 1u);  // planes
  EXPECT_EQ(Read16(bytes, 12), 4u);  // bits per pixel
  EXPECT_EQ(Read32(bytes, 14), 296u);
  EXPECT_EQ(Read32(bytes, 18), kImage);
  EXPECT_EQ(Read32(bytes, kImage + 0), 40u);    // header size
  EXPECT_EQ(Read32(bytes, kImage + 4), 16u);    // width
  EXPECT_EQ(Read32(bytes, kImage + 8), 32u);    // colour and mask bitmaps stacked
  EXPECT_EQ(Read16(bytes, kImage + 12), 1u);    // planes
  EXPECT_EQ(Read16(bytes, kImage + 14), 4u);    // bits per pixel
  EXPECT_EQ(Read32(bytes, kImage + 16), 0u);    // uncompressed
  EXPECT_EQ(Read32(bytes, kImage + 20), 192u);  // colour and mask bytes
  EXPECT_EQ(Read32(bytes, kImage + 32), 0u);    // colours used: the full palette
  EXPECT_EQ(Read32(bytes, kImage + 36), 0u);
  EXPECT_EQ(kIcoFileSize, bytes.size());
}

TEST(EncodeIco, PaletteIsTheSixteenStandardColoursInBlueGreenRedOrder) {
  // Black, maroon, green, olive, navy, purple, teal, gray, silver, red, lime, yellow, blue,
  // fuchsia, aqua, white, each as red, green, blue.
  constexpr std::array<std::array<std::uint8_t, 3>, 16> kExpected{{
      {0, 0, 0},
      {128, 0, 0},
      {0, 128, 0},
      {128, 128, 0},
      {0, 0, 128},
      {128, 0, 128},
      {0, 128, 128},
      {128, 128, 128},
      {192, 192, 192},
      {255, 0, 0},
      {0, 255, 0},
      {255, 255, 0},
      {0, 0, 255},
      {255, 0, 255},
      {0, 255, 255},
      {255, 255, 255},
  }};
  const std::vector<std::uint8_t> bytes = EncodeIco(Blank());
  for (std::size_t i = 0; i < kExpected.size(); ++i) {
    const std::size_t at = kPalette + 4 * i;
    EXPECT_EQ(bytes[at + 0], kExpected[i][2]) << "blue of colour " << i;
    EXPECT_EQ(bytes[at + 1], kExpected[i][1]) << "green of colour " << i;
    EXPECT_EQ(bytes[at + 2], kExpected[i][0]) << "red of colour " << i;
    EXPECT_EQ(bytes[at + 3], 0) << "reserved of colour " << i;
  }
}

// Marks three corners so a picture stored upside down, mirrored or with swapped nibbles shows.
TEST(EncodeIco, RowsAreStoredBottomUpWithTheLeftPixelInTheHighBits) {
  Picture picture = Blank();
  picture[0][0] = Pixel::Red;       // top left
  picture[0][1] = Pixel::Navy;      // its right neighbour shares the byte
  picture[15][15] = Pixel::Yellow;  // bottom right
  picture[15][8] = Pixel::Black;    // opaque black is not transparent
  const std::vector<std::uint8_t> bytes = EncodeIco(picture);
  ASSERT_EQ(bytes.size(), kIcoFileSize);
  // Top row = last colour row; bottom row = first.
  EXPECT_EQ(bytes[kColourRows + 15 * 8 + 0], 0x94);
  EXPECT_EQ(bytes[kColourRows + 0 * 8 + 7], 0x0B);
  EXPECT_EQ(bytes[kColourRows + 0 * 8 + 4], 0x00);
  // Mask: the top row keeps columns 0 and 1 opaque, the bottom row columns 8 and 15.
  EXPECT_EQ(bytes[kMaskRows + 15 * 4 + 0], 0x3F);
  EXPECT_EQ(bytes[kMaskRows + 15 * 4 + 1], 0xFF);
  EXPECT_EQ(bytes[kMaskRows + 0 * 4 + 0], 0xFF);
  EXPECT_EQ(bytes[kMaskRows + 0 * 4 + 1], 0x7E);
  // A fully transparent row.
  EXPECT_EQ(bytes[kMaskRows + 7 * 4 + 0], 0xFF);
  EXPECT_EQ(bytes[kMaskRows + 7 * 4 + 1], 0xFF);
}

TEST(EncodeIco, AValueOutsideThePaletteIsWrittenAsTransparent) {
  Picture picture = Blank();
  picture[4][3] = static_cast<Pixel>(200);
  picture[4][2] = Pixel::White;
  EXPECT_EQ(EncodeIco(picture), [] {
    Picture expected = Blank();
    expected[4][2] = Pixel::White;
    return EncodeIco(expected);
  }());
}

// Decodes every picture's file independently: colour index from the XOR rows, transparency from
// the AND rows, and checks the row padding.
TEST(EncodeIco, EveryPictureDecodesBackWithMaskBitsExactlyWhereTransparent) {
  for (std::string_view name : kPictureNames) {
    const Picture picture = Named(name);
    const std::vector<std::uint8_t> bytes = EncodeIco(picture);
    ASSERT_EQ(bytes.size(), kIcoFileSize) << name;
    for (int y = 0; y < kN; ++y) {
      const std::size_t colourRow = kColourRows + static_cast<std::size_t>(kN - 1 - y) * 8;
      const std::size_t maskRow = kMaskRows + static_cast<std::size_t>(kN - 1 - y) * 4;
      EXPECT_EQ(bytes[maskRow + 2], 0) << name << ": padding of mask row " << y;
      EXPECT_EQ(bytes[maskRow + 3], 0) << name << ": padding of mask row " << y;
      for (int x = 0; x < kN; ++x) {
        const std::uint8_t packed = bytes[colourRow + static_cast<std::size_t>(x / 2)];
        const int index = x % 2 == 0 ? packed >> 4 : packed & 0x0F;
        const bool maskBit = (bytes[maskRow + static_cast<std::size_t>(x / 8)] >> (7 - x % 8) & 1) != 0;
        const Pixel pixel = picture[y][x];
        EXPECT_EQ(maskBit, pixel == Pixel::Transparent) << name << ": row " << y << " column " << x;
        EXPECT_EQ(index, pixel == Pixel::Transparent ? 0 : static_cast<int>(pixel))
            << name << ": row " << y << " column " << x;
      }
    }
  }
}

// The resource script embeds the files under resources/icons; they must be what the pictures
// encode to, so a changed picture without regenerated files (or the reverse) fails here.
TEST(EncodeIco, CommittedIconFilesAreTheEncodedPictures) {
  for (std::string_view name : kPictureNames) {
    const std::string path = std::string(RSW_SOURCE_DIR) + "/resources/icons/" + std::string(name) + ".ico";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.is_open()) << "cannot read " << path;
    const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(committed, EncodeIcoFile(name))
        << path << " differs from its picture; regenerate with: build/native/MakeTrayIcons resources/icons";
  }
}

// ---- the pictures at the larger small-icon sizes ----

// The 16-pixel image of every file is byte for byte the single image the program always had.
TEST(EncodeIcoFile, SixteenPixelImageIsTheClassicOne) {
  for (std::string_view name : kPictureNames) {
    const std::vector<std::uint8_t> file = EncodeIcoFile(name);
    const std::vector<std::uint8_t> classic = EncodeIco(Named(name));
    ASSERT_GE(file.size(), 6u + 16u) << name;
    const std::size_t count = file[4];
    EXPECT_EQ(count, SizesOf(name).size()) << name;
    EXPECT_EQ(file[6], 16) << name << ": the first entry is the 16-pixel image";
    const std::size_t offset = Read32(file, 6 + 12);
    const std::size_t length = Read32(file, 6 + 8);
    ASSERT_EQ(length, classic.size() - 22) << name;
    ASSERT_LE(offset + length, file.size()) << name;
    EXPECT_TRUE(std::equal(classic.begin() + 22, classic.end(), file.begin() + static_cast<std::ptrdiff_t>(offset)))
        << name;
  }
}

TEST(EncodeIcoFile, DirectoryEntriesPointAtImagesOfTheirSize) {
  for (std::string_view name : kPictureNames) {
    const std::vector<std::uint8_t> file = EncodeIcoFile(name);
    const std::vector<int> sizes = SizesOf(name);
    std::size_t expectedOffset = 6 + 16 * sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const std::size_t entry = 6 + 16 * i;
      const int size = sizes[i];
      EXPECT_EQ(file[entry], size) << name;
      EXPECT_EQ(file[entry + 1], size) << name;
      const std::size_t rowBytes = static_cast<std::size_t>((size * 4 + 31) / 32 * 4 + (size + 31) / 32 * 4);
      EXPECT_EQ(Read32(file, entry + 8), 40 + 64 + rowBytes * static_cast<std::size_t>(size)) << name << " " << size;
      EXPECT_EQ(Read32(file, entry + 12), expectedOffset) << name << " " << size;
      const std::size_t header = Read32(file, entry + 12);
      EXPECT_EQ(Read32(file, header + 4), static_cast<std::uint32_t>(size)) << name;
      EXPECT_EQ(Read32(file, header + 8), static_cast<std::uint32_t>(2 * size)) << name;
      expectedOffset += Read32(file, entry + 8);
    }
    EXPECT_EQ(expectedOffset, file.size()) << name;
  }
}

TEST(EncodeIcoFile, UnknownNameGivesNothing) {
  EXPECT_TRUE(EncodeIcoFile("ICON_BLUE").empty());
  EXPECT_TRUE(SizesOf("icon_green").empty());
  EXPECT_FALSE(PictureAtSize("ICON_GREEN", 18).has_value());
  EXPECT_FALSE(PictureAtSize("ICON_APP", 24).has_value());
}

// Decoding the larger images back gives the pictures, so the encoder handles rows that need padding
// (20 and 24 pixels: 10 and 12 colour bytes, a 3-byte mask row padded to 4).
TEST(EncodeIcoFile, LargerImagesDecodeBack) {
  for (int size : {20, 24, 32}) {
    const std::optional<SizedPicture> picture = PictureAtSize("ICON_YELLOW_O", size);
    ASSERT_TRUE(picture) << size;
    const std::vector<std::uint8_t> bytes = EncodeIcoImages({*picture});
    const std::size_t colourRow = static_cast<std::size_t>((size * 4 + 31) / 32 * 4);
    const std::size_t maskRow = static_cast<std::size_t>((size + 31) / 32 * 4);
    const std::size_t colourStart = 22 + 40 + 64;
    const std::size_t maskStart = colourStart + colourRow * static_cast<std::size_t>(size);
    ASSERT_EQ(bytes.size(), maskStart + maskRow * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y) {
      const std::size_t stored = static_cast<std::size_t>(size - 1 - y);
      for (int x = 0; x < size; ++x) {
        const std::uint8_t byte = bytes[colourStart + stored * colourRow + static_cast<std::size_t>(x / 2)];
        const int index = x % 2 == 0 ? byte >> 4 : byte & 0x0F;
        const bool masked = (bytes[maskStart + stored * maskRow + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
        const Pixel pixel = picture->At(x, y);
        EXPECT_EQ(masked, pixel == Pixel::Transparent) << size << " at " << x << "," << y;
        if (pixel != Pixel::Transparent) {
          EXPECT_EQ(index, static_cast<int>(pixel)) << size << " at " << x << "," << y;
        }
      }
    }
  }
}

struct SizedBarCase {
  std::string_view name;
  int size;
  int barTop, left, right;  // the black frame of the bar
  Pixel fill;
  int filledColumns;  // of the inner width, from the left
  bool ring;
};

void PrintTo(const SizedBarCase& c, std::ostream* os) { *os << c.name << " at " << c.size; }

class LargerColourPictureTest : public ::testing::TestWithParam<SizedBarCase> {};

// The bar in the bottom rows with the same share filled as at 16 pixels; everything above it free.
TEST_P(LargerColourPictureTest, BarAtTheBottomWithItsShareFilled) {
  const SizedBarCase& c = GetParam();
  const std::optional<SizedPicture> found = PictureAtSize(c.name, c.size);
  ASSERT_TRUE(found);
  const SizedPicture& p = *found;
  ASSERT_EQ(p.size, c.size);
  for (int y = 0; y < c.barTop; ++y) {
    for (int x = 0; x < c.size; ++x) ASSERT_EQ(p.At(x, y), Pixel::Transparent) << "row " << y << " column " << x;
  }
  const int t = c.size == 32 ? 2 : 1;
  for (int x = c.left; x <= c.right; ++x) {
    EXPECT_EQ(p.At(x, c.barTop), Pixel::Black) << x;
    EXPECT_EQ(p.At(x, c.size - 1), Pixel::Black) << x;
  }
  const int middle = (c.barTop + c.size - 1) / 2;
  EXPECT_EQ(p.At(c.left, middle), Pixel::Black);
  EXPECT_EQ(p.At(c.right, middle), Pixel::Black);
  const int innerLeft = c.left + t;
  const int innerRight = c.right - t;
  for (int x = innerLeft; x <= innerRight; ++x) {
    EXPECT_EQ(p.At(x, middle), x < innerLeft + c.filledColumns ? c.fill : Pixel::Transparent) << "column " << x;
  }
  // the ring beside the shorter bar: black on its sides, open inside
  if (c.ring) {
    EXPECT_EQ(p.At(c.size - 1, middle), Pixel::Black);
    EXPECT_EQ(p.At(c.size - 1 - t - 1, middle), Pixel::Transparent);
    EXPECT_EQ(p.At(c.size - 1, c.barTop), Pixel::Transparent) << "its corners are cut";
  } else {
    EXPECT_EQ(p.At(c.size - 1, middle), Pixel::Transparent);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, LargerColourPictureTest,
                         ::testing::Values(SizedBarCase{"ICON_GREEN", 20, 14, 1, 18, Pixel::Lime, 16, false},
                                           SizedBarCase{"ICON_YELLOW", 20, 14, 1, 18, Pixel::Yellow, 9, false},
                                           SizedBarCase{"ICON_RED", 20, 14, 1, 18, Pixel::Red, 5, false},
                                           SizedBarCase{"ICON_GREEN_O", 20, 14, 1, 13, Pixel::Lime, 11, true},
                                           SizedBarCase{"ICON_YELLOW_O", 20, 14, 1, 13, Pixel::Yellow, 8, true},
                                           SizedBarCase{"ICON_RED_O", 20, 14, 1, 13, Pixel::Red, 6, true},
                                           SizedBarCase{"ICON_GREEN", 24, 17, 1, 22, Pixel::Lime, 20, false},
                                           SizedBarCase{"ICON_YELLOW", 24, 17, 1, 22, Pixel::Yellow, 12, false},
                                           SizedBarCase{"ICON_RED", 24, 17, 1, 22, Pixel::Red, 7, false},
                                           SizedBarCase{"ICON_YELLOW_O", 24, 17, 1, 15, Pixel::Yellow, 10, true},
                                           SizedBarCase{"ICON_GREEN", 32, 22, 2, 29, Pixel::Lime, 24, false},
                                           SizedBarCase{"ICON_YELLOW", 32, 22, 2, 29, Pixel::Yellow, 14, false},
                                           SizedBarCase{"ICON_RED", 32, 22, 2, 29, Pixel::Red, 8, false},
                                           SizedBarCase{"ICON_RED_O", 32, 22, 2, 20, Pixel::Red, 8, true}));

// The free-up pictures at the top, the rows under them free; the work pictures' boxes swap colours.
TEST(LargerPictures, IdleAndWorkPicturesLeaveTheBottomFree) {
  for (int size : {20, 24, 32}) {
    for (std::string_view name : {"ICON_IDLE", "ICON_WORK", "ICON_WORK2"}) {
      const std::optional<SizedPicture> p = PictureAtSize(name, size);
      ASSERT_TRUE(p);
      const int firstFree = size == 20 ? 6 : size == 24 ? 7 : 10;
      for (int y = firstFree; y < size; ++y) {
        for (int x = 0; x < size; ++x) ASSERT_EQ(p->At(x, y), Pixel::Transparent) << name << " " << size;
      }
      EXPECT_EQ(p->At(size / 2, 0), name == "ICON_IDLE" ? Pixel::Black : Pixel::Transparent) << name << " " << size;
    }
    const SizedPicture work = *PictureAtSize("ICON_WORK", size);
    const SizedPicture work2 = *PictureAtSize("ICON_WORK2", size);
    const int t = size == 32 ? 2 : 1;
    const int row = t + 1;
    const int insideLeft = t + t;  // the bar starts at column t, its frame is t wide
    EXPECT_EQ(work.At(insideLeft, row), Pixel::Red) << size;
    EXPECT_EQ(work.At(size - 2 - t - 1, row), Pixel::Lime) << size;
    EXPECT_EQ(work2.At(insideLeft, row), Pixel::Lime) << size;
    EXPECT_EQ(work2.At(size - 2 - t - 1, row), Pixel::Red) << size;
    // the idle picture's wave is green and unbroken: every inner column has some of it
    const SizedPicture idle = *PictureAtSize("ICON_IDLE", size);
    for (int x = 1 + 2 * t; x < size - 1 - 2 * t; ++x) {
      bool green = false;
      for (int y = 0; y < size; ++y) green = green || idle.At(x, y) == Pixel::Lime;
      EXPECT_TRUE(green) << size << " column " << x;
    }
  }
}

TEST(LargerPictures, ApplicationIconAt32IsThe16DoubledAndSixteenIsTheClassic) {
  const Picture classic = Named("ICON_APP");
  const std::optional<SizedPicture> doubled = PictureAtSize("ICON_APP", 32);
  ASSERT_TRUE(doubled);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(doubled->At(x, y), classic[y / 2][x / 2]) << x << "," << y;
  }
  EXPECT_EQ(PictureAtSize("ICON_GREEN", 16), Sized(Named("ICON_GREEN")));
}

}  // namespace
}  // namespace rsw
