#include "emulator/picture_memory.h"

namespace ptk::emu {

int PictureStore::UsedBytes() const {
  size_t used = 0;
  for (const StoredPicture& p : pictures) used += p.lines.size();
  return static_cast<int>(used);
}

const StoredPicture* PictureStore::Closed(int number) const {
  if (number < 1 || number > ClosedCount()) return nullptr;
  return &pictures[static_cast<size_t>(number - 1)];
}

std::vector<std::string> PictureTapeLines(std::span<const uint8_t> lines, size_t lineBytes,
                                          int offsetDots, int repeat) {
  std::vector<std::string> tape;
  if (lineBytes == 0 || repeat <= 0 || offsetDots < 0) return tape;
  const size_t rows = lines.size() / lineBytes;
  const size_t dotRows = rows * static_cast<size_t>(repeat);
  auto dot = [&](size_t dotRow, int x) {
    if (dotRow >= dotRows) return false;
    const size_t row = dotRow / static_cast<size_t>(repeat);
    const int bit = x - offsetDots;
    if (bit < 0 || static_cast<size_t>(bit) >= lineBytes * 8) return false;
    return (lines[row * lineBytes + static_cast<size_t>(bit / 8)] & (0x80 >> (bit % 8))) != 0;
  };
  const int width = offsetDots + static_cast<int>(lineBytes * 8);
  const int right = width < kPaperDots ? width : kPaperDots;
  for (size_t r = 0; r < dotRows; r += 2) {
    std::string line;
    size_t kept = 0;  // the length without trailing blanks
    for (int x = 0; x < right; ++x) {
      const bool upper = dot(r, x), lower = dot(r + 1, x);
      if (upper && lower) {
        line += "█";
      } else if (upper) {
        line += "▀";
      } else if (lower) {
        line += "▄";
      } else {
        line += ' ';
        continue;
      }
      kept = line.size();
    }
    line.resize(kept);
    tape.push_back(std::move(line));
  }
  return tape;
}

}  // namespace ptk::emu
