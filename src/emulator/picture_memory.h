// The register's picture memory: monochrome pictures stored line by line, numbered 1..n
// in the order they were stored (deleting one renumbers the later ones), in a memory of
// a fixed size; and pictures on the tape.
//
// A picture is uploaded one line at a time (0x8B): the first line opens the upload and
// fixes the width, every line takes its bytes of the memory, and 0x9E closes the upload
// and gives the picture its number. An upload still open counts as the last picture and
// raises the flag of the memory state (0x8C), so that the program can delete it.
//
// On the tape a picture prints as rows of characters: one character per dot across, two
// rows of dots per tape line ("▀" upper dot, "▄" lower dot, "█" both, blank none), shifted
// right by its offset in dots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ptk::emu {

inline constexpr int kPictureMemoryBytes = 8192;
inline constexpr size_t kPictureMaxLineBytes = 72;  // 576 dots: the 80 mm printing width
inline constexpr int kPaperDots = 576;
inline constexpr int kMaxPictures = 255;
inline constexpr int kMaxPictureLines = 65535;

struct StoredPicture {
  size_t lineBytes = 0;
  std::vector<uint8_t> lines;  // height × lineBytes, top line first
  int Height() const { return lineBytes == 0 ? 0 : static_cast<int>(lines.size() / lineBytes); }
  std::span<const uint8_t> Line(int y) const {
    return std::span<const uint8_t>(lines.data() + static_cast<size_t>(y) * lineBytes, lineBytes);
  }
  bool operator==(const StoredPicture&) const = default;
};

struct PictureStore {
  std::vector<StoredPicture> pictures;  // number n at index n − 1
  bool uploadOpen = false;              // the last picture is still being uploaded
  // The picture being read back (0x9F, 0x86): not kept across power-off.
  int readNumber = 0;
  int readLine = 0;

  int UsedBytes() const;
  int FreeBytes() const { return kPictureMemoryBytes - UsedBytes(); }
  int Count() const { return static_cast<int>(pictures.size()); }
  // Closed pictures: numbers 1..ClosedCount() can be read and printed.
  int ClosedCount() const { return Count() - (uploadOpen ? 1 : 0); }
  const StoredPicture* Closed(int number) const;
  bool operator==(const PictureStore& o) const {
    return pictures == o.pictures && uploadOpen == o.uploadOpen;
  }
};

// The tape lines of picture lines (lineBytes each) printed offsetDots to the right, every
// dot row repeated `repeat` times; the right edge of the paper cuts them.
std::vector<std::string> PictureTapeLines(std::span<const uint8_t> lines, size_t lineBytes,
                                          int offsetDots, int repeat = 1);

}  // namespace ptk::emu
