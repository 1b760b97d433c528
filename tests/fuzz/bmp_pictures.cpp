// The BMP reader and the picture conversions: any file as a 1-bit BMP (and a picture that
// was read, saved again, reads back the same), any pixels to the register's dots, and the
// fitting of any size into the display area.
//
// Input: a mode byte; for mode 0 the file; for mode 1 width, height, channels and the
// pixels; for mode 2 four sizes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/programming/picture_image.h"
#include "fuzz_input.h"

namespace {

using namespace ptk;

void ReadFile(std::span<const uint8_t> file) {
  BmpRows bmp;
  const BmpError error = ReadBmp(file, bmp);
  if (error != BmpError::None) return;
  PTK_FUZZ_CHECK(bmp.width > 0 && bmp.height > 0);
  PTK_FUZZ_CHECK(bmp.rowStride >= static_cast<size_t>((bmp.width + 7) / 8));
  PTK_FUZZ_CHECK(bmp.rowStride % 4 == 0);
  PTK_FUZZ_CHECK(bmp.rows.size() == bmp.rowStride * static_cast<size_t>(bmp.height));
  PTK_FUZZ_CHECK(bmp.rows.size() <= file.size());
  const MonoPicture picture = BmpToPicture(bmp);
  PTK_FUZZ_CHECK(picture.width == bmp.width && picture.height == bmp.height);
  PTK_FUZZ_CHECK(picture.lines.size() == picture.LineBytes() * picture.height);
  // The bits beyond the width stay clear.
  if (picture.width % 8 != 0) {
    const uint8_t spare = static_cast<uint8_t>(0xFF >> (picture.width % 8));
    for (int y = 0; y < picture.height; ++y) PTK_FUZZ_CHECK((picture.Line(y).back() & spare) == 0);
  }
  // Saved as the picture manager saves it and read again: the same dots.
  const std::vector<uint8_t> saved = MonochromeBmp(picture);
  BmpRows again;
  PTK_FUZZ_CHECK(ReadBmp(saved, again) == BmpError::None);
  PTK_FUZZ_CHECK(BmpToPicture(again) == picture);
}

void Convert(fuzz::Input& in) {
  PixelImage image;
  image.width = in.Byte() % 80;
  image.height = in.Byte() % 80;
  image.channels = in.Bit() ? 3 : 1;
  const std::span<const uint8_t> pixels = in.Rest();
  image.pixels.assign(pixels.begin(), pixels.end());
  const MonoPicture picture = ToMonochrome(image);
  if (!image.Valid()) {
    PTK_FUZZ_CHECK(picture.lines.empty());
    return;
  }
  PTK_FUZZ_CHECK(picture.width == image.width && picture.height == image.height);
  PTK_FUZZ_CHECK(picture.lines.size() == picture.LineBytes() * picture.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const size_t at = (static_cast<size_t>(y) * image.width + x) * image.channels;
      bool white = true;
      for (int c = 0; c < image.channels; ++c) white = white && image.pixels[at + c] == 255;
      PTK_FUZZ_CHECK(picture.Dot(x, y) == !white);
    }
  }
  PTK_FUZZ_CHECK(PictureSizeBytes(image.width, image.height) ==
                 (static_cast<int64_t>(image.width) * image.height + 7) / 8);
}

void Fit(fuzz::Input& in) {
  const int width = static_cast<int16_t>(in.Word());
  const int height = static_cast<int16_t>(in.Word());
  const int areaWidth = static_cast<int16_t>(in.Word());
  const int areaHeight = static_cast<int16_t>(in.Word());
  const DisplayFit fit = FitPictureToArea(width, height, areaWidth, areaHeight);
  if (width > 0 && height > 0 && areaWidth > 0 && areaHeight > 0) {
    if (fit.stretched) {
      PTK_FUZZ_CHECK(fit.width <= areaWidth && fit.height <= areaHeight);
    } else {
      PTK_FUZZ_CHECK(fit.width == width && fit.height == height);
    }
    PTK_FUZZ_CHECK(fit.width >= 0 && fit.height >= 0);
  }
  // Blank pictures of any size a window may ask for (kept small: the largest take 512 MiB).
  const MonoPicture blank = BlankPicture(width % 4096, height % 4096);
  PTK_FUZZ_CHECK(blank.lines.size() == blank.LineBytes() * static_cast<size_t>(blank.height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  switch (in.Byte() % 3) {
    case 0:
      ReadFile(in.Rest());
      break;
    case 1:
      Convert(in);
      break;
    default:
      Fit(in);
      break;
  }
  return 0;
}
