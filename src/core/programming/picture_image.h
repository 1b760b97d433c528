// Pictures as the register prints them, apart from any window toolkit: the monochrome
// conversion of a loaded picture, the fitting of a picture into the display area, and
// 1-bit BMP files (writing a read picture, and reading a file to print it line by line).
//
// A picture line is one row of dots, 8 dots per byte, the leftmost dot in the most
// significant bit; a set bit prints a dot. A picture w dots wide has ceil(w / 8) bytes per
// line; the bits beyond w in the last byte are clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ptk {

// A loaded picture: width × height pixels, top row first, each pixel `channels` bytes:
// 1 for 8-bit gray, 3 for red, green, blue.
struct PixelImage {
  int width = 0;
  int height = 0;
  int channels = 1;
  std::vector<uint8_t> pixels;  // width * height * channels
  bool Valid() const;
};

// A picture in the register's form.
struct MonoPicture {
  int width = 0;               // dots
  int height = 0;              // lines
  std::vector<uint8_t> lines;  // height × LineBytes(), top line first

  size_t LineBytes() const { return static_cast<size_t>((width + 7) / 8); }
  std::span<const uint8_t> Line(int y) const {
    return std::span<const uint8_t>(lines.data() + static_cast<size_t>(y) * LineBytes(),
                                    LineBytes());
  }
  bool Dot(int x, int y) const;
  void SetDot(int x, int y, bool dot);
  bool operator==(const MonoPicture&) const = default;
};

// An empty (all white) picture; an empty one for a size below 1 or above 65535.
MonoPicture BlankPicture(int width, int height);

// The conversion of the picture manager: a pixel exactly white (gray 255, or red, green
// and blue all 255) stays white, every other pixel becomes a dot. An invalid image gives an
// empty picture.
MonoPicture ToMonochrome(const PixelImage& image);

// The size the label shows and the upload's memory check: ceil(width × height / 8) bytes.
int64_t PictureSizeBytes(int width, int height);

// How the display shows a picture in an area: with rx = width / areaWidth and
// ry = height / areaHeight, a picture wider than the area (rx > ry, rx > 1) is stretched
// to the area's width and height / rx high; a taller one (ry >= rx, ry > 1) to width / ry
// wide and the area's height; a smaller one is shown unstretched. Sizes truncate.
struct DisplayFit {
  int width = 0;
  int height = 0;
  bool stretched = false;
};
DisplayFit FitPictureToArea(int width, int height, int areaWidth, int areaHeight);

// A 1-bit BMP of the picture (bottom-up rows padded to 4 bytes, a two-colour table: index 0
// black, 1 white): a dot is pixel value 0, so that printing the file prints the picture.
std::vector<uint8_t> MonochromeBmp(const MonoPicture& picture);

// A 1-bit BMP file read for printing, bounded by the bytes the file really has.
struct BmpRows {
  int width = 0;              // dots
  int height = 0;             // lines (the header's value without its sign)
  bool topDown = false;       // the header's height was negative
  size_t rowStride = 0;       // stored bytes per row: ceil(width / 8) rounded up to 4
  std::vector<uint8_t> rows;  // height × rowStride bytes as stored, top row first
  std::span<const uint8_t> Row(int y) const {
    return std::span<const uint8_t>(rows.data() + static_cast<size_t>(y) * rowStride, rowStride);
  }
};

enum class BmpError {
  None,
  NotBmp,     // too short for its headers, or no "BM"
  Malformed,  // zero or absurd width or height, a bit depth other than 1, compression
  Truncated,  // the pixel data runs past the end of the file
};

// Rows are found from the pixel-data offset and the height: for a bottom-up file the top row
// is at offset + (height − 1) × stride, so bytes after the pixels (which some programs
// write) do not shift the rows. The width is the header's; only 1-bit files are accepted.
BmpError ReadBmp(std::span<const uint8_t> file, BmpRows& out);

// The picture a 1-bit BMP holds, a dot for each pixel of value 0 (as it prints).
MonoPicture BmpToPicture(const BmpRows& bmp);

}  // namespace ptk
