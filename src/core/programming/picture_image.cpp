#include "core/programming/picture_image.h"

#include <algorithm>

namespace ptk {

namespace {

constexpr int kMaxPictureSide = 65535;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t Le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t Le16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLe16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

size_t BmpStride(int width) {
  return (static_cast<size_t>(width + 7) / 8 + 3) / 4 * 4;
}

}  // namespace

bool PixelImage::Valid() const {
  return width > 0 && height > 0 && (channels == 1 || channels == 3) &&
         pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height) *
                              static_cast<size_t>(channels);
}

bool MonoPicture::Dot(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  return (lines[static_cast<size_t>(y) * LineBytes() + static_cast<size_t>(x / 8)] &
          (0x80 >> (x % 8))) != 0;
}

void MonoPicture::SetDot(int x, int y, bool dot) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  uint8_t& b = lines[static_cast<size_t>(y) * LineBytes() + static_cast<size_t>(x / 8)];
  const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
  b = dot ? static_cast<uint8_t>(b | bit) : static_cast<uint8_t>(b & ~bit);
}

MonoPicture BlankPicture(int width, int height) {
  MonoPicture p;
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) return p;
  p.width = width;
  p.height = height;
  p.lines.assign(p.LineBytes() * static_cast<size_t>(height), 0x00);
  return p;
}

MonoPicture ToMonochrome(const PixelImage& image) {
  if (!image.Valid()) return {};
  MonoPicture p = BlankPicture(image.width, image.height);
  if (p.width == 0) return p;
  const size_t channels = static_cast<size_t>(image.channels);
  const uint8_t* px = image.pixels.data();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x, px += channels) {
      const bool white = std::all_of(px, px + channels, [](uint8_t v) { return v == 255; });
      if (!white) p.SetDot(x, y, true);
    }
  }
  return p;
}

int64_t PictureSizeBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return (static_cast<int64_t>(width) * height + 7) / 8;
}

DisplayFit FitPictureToArea(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return {width, height};
  const double rx = static_cast<double>(width) / areaWidth;
  const double ry = static_cast<double>(height) / areaHeight;
  if (rx > ry && rx > 1) return {areaWidth, static_cast<int>(height / rx), true};
  if (ry >= rx && ry > 1) return {static_cast<int>(width / ry), areaHeight, true};
  return {width, height, false};
}

std::vector<uint8_t> MonochromeBmp(const MonoPicture& picture) {
  const size_t stride = BmpStride(picture.width);
  const size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 8;
  const size_t imageSize = stride * static_cast<size_t>(picture.height);
  std::vector<uint8_t> f(pixelOffset + imageSize, 0x00);
  f[0] = 'B';
  f[1] = 'M';
  PutLe32(f, 2, static_cast<uint32_t>(f.size()));
  PutLe32(f, 10, static_cast<uint32_t>(pixelOffset));
  PutLe32(f, 14, kInfoHeaderSize);
  PutLe32(f, 18, static_cast<uint32_t>(picture.width));
  PutLe32(f, 22, static_cast<uint32_t>(picture.height));  // bottom-up
  PutLe16(f, 26, 1);                                      // planes
  PutLe16(f, 28, 1);                                      // bits per pixel
  PutLe32(f, 34, static_cast<uint32_t>(imageSize));
  PutLe32(f, 38, 2835);  // 72 dots per inch, as metres
  PutLe32(f, 42, 2835);
  PutLe32(f, 46, 2);  // colours in the table
  // Colour table: 0 black, 1 white (blue, green, red, reserved).
  f[58] = f[59] = f[60] = 0xFF;
  const size_t lineBytes = picture.LineBytes();
  for (int y = 0; y < picture.height; ++y) {
    const size_t row = pixelOffset + static_cast<size_t>(picture.height - 1 - y) * stride;
    std::span<const uint8_t> line = picture.Line(y);
    for (size_t i = 0; i < lineBytes; ++i) f[row + i] = static_cast<uint8_t>(~line[i]);
    // Bits past the width stay white, as do the padding bytes' bits (they are unused).
    const int spare = static_cast<int>(lineBytes * 8) - picture.width;
    if (spare > 0) f[row + lineBytes - 1] |= static_cast<uint8_t>((1u << spare) - 1);
  }
  return f;
}

BmpError ReadBmp(std::span<const uint8_t> file, BmpRows& out) {
  out = BmpRows{};
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M')
    return BmpError::NotBmp;
  const uint32_t pixelOffset = Le32(file, 10);
  const uint32_t infoSize = Le32(file, 14);
  const auto width = static_cast<int32_t>(Le32(file, 18));
  const auto height = static_cast<int32_t>(Le32(file, 22));
  const uint16_t bits = Le16(file, 28);
  const uint32_t compression = Le32(file, 30);
  if (infoSize < kInfoHeaderSize || bits != 1 || compression != 0) return BmpError::Malformed;
  if (width <= 0 || width > kMaxPictureSide || height == 0 || height < -kMaxPictureSide ||
      height > kMaxPictureSide)
    return BmpError::Malformed;
  if (pixelOffset < kFileHeaderSize + infoSize) return BmpError::Malformed;

  const int lines = height < 0 ? -height : height;
  const size_t stride = BmpStride(width);
  const uint64_t end = static_cast<uint64_t>(pixelOffset) + static_cast<uint64_t>(stride) * lines;
  if (end > file.size()) return BmpError::Truncated;

  out.width = width;
  out.height = lines;
  out.topDown = height < 0;
  out.rowStride = stride;
  out.rows.resize(stride * static_cast<size_t>(lines));
  for (int y = 0; y < lines; ++y) {
    const int stored = out.topDown ? y : lines - 1 - y;
    const size_t from = pixelOffset + static_cast<size_t>(stored) * stride;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(from), stride,
                out.rows.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * stride));
  }
  return BmpError::None;
}

MonoPicture BmpToPicture(const BmpRows& bmp) {
  MonoPicture p = BlankPicture(bmp.width, bmp.height);
  if (p.width == 0) return p;
  const size_t lineBytes = p.LineBytes();
  for (int y = 0; y < bmp.height; ++y) {
    std::span<const uint8_t> row = bmp.Row(y);
    for (size_t i = 0; i < lineBytes; ++i)
      p.lines[static_cast<size_t>(y) * lineBytes + i] = static_cast<uint8_t>(~row[i]);
    const int spare = static_cast<int>(lineBytes * 8) - p.width;
    if (spare > 0)
      p.lines[static_cast<size_t>(y) * lineBytes + lineBytes - 1] &=
          static_cast<uint8_t>(0xFF << spare);
  }
  return p;
}

}  // namespace ptk
