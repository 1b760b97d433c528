// Pictures: the memory state (0x8C), deleting (0x8A), uploading line by line (0x8B, closed
// by 0x9E), reading a stored picture back (0x9F, then 0x86 line by line) and printing it
// (0x8D), on the models that have pictures; and printing one picture line (0x8E), which
// every model does.
//
// Uploading and deleting change the memory: programming mode only. Offsets are in dots,
// on the third model in units of 8 dots. The first parameter of both print commands is the
// target, 1 for the receipt tape (0x6D otherwise).
#include "core/link/encoding.h"
#include "core/programming/line_format.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr uint8_t kTape = 0x01;

int DotsPerOffsetUnit(const VirtualRegister& reg) {
  return reg.state().model == kModelCodeThird ? 8 : 1;
}

bool DoubleHeight(const VirtualRegister& reg) {
  const std::vector<uint8_t> v =
      reg.state().tables.Get({kSettingsTable, 1, settings_field::kDoubleImageHeight});
  return !v.empty() && v[0] != 0;
}

Reply MemoryState(VirtualRegister& reg, const Command&) {
  const PictureStore& p = reg.state().pictures;
  const int free = p.FreeBytes();
  return R::Ok({static_cast<uint8_t>(free >> 8), static_cast<uint8_t>(free & 0xFF),
                static_cast<uint8_t>(p.Count()), static_cast<uint8_t>(p.uploadOpen ? 1 : 0)});
}

// Picture n, or 0 for all of them (an open upload included).
Reply Delete(VirtualRegister& reg, const Command& c) {
  PictureStore& p = reg.state().pictures;
  const int n = c.params[0];
  if (n == 0) {
    p = PictureStore{};
    return R::Ok();
  }
  if (n > p.Count()) return R::Error(rc::kNoSuchPicture);
  if (n == p.Count()) p.uploadOpen = false;
  p.pictures.erase(p.pictures.begin() + (n - 1));
  p.readNumber = 0;
  return R::Ok();
}

// One line of the open upload; the first line opens it and fixes the width. A line that
// does not fit the memory throws the whole upload away.
Reply AddLine(VirtualRegister& reg, const Command& c) {
  PictureStore& p = reg.state().pictures;
  const size_t bytes = c.params.size();
  if (!p.uploadOpen) {
    if (bytes > kPictureMaxLineBytes) return R::Error(rc::kBadLength);
    if (p.Count() >= kMaxPictures) return R::Error(rc::kPictureMemoryFull);
    p.pictures.push_back(StoredPicture{bytes, {}});
    p.uploadOpen = true;
  }
  StoredPicture& open = p.pictures.back();
  if (bytes != open.lineBytes) return R::Error(rc::kBadLength);
  if (static_cast<int>(bytes) > p.FreeBytes() || open.Height() >= kMaxPictureLines) {
    p.pictures.pop_back();
    p.uploadOpen = false;
    return R::Error(rc::kPictureMemoryFull);
  }
  open.lines.insert(open.lines.end(), c.params.begin(), c.params.end());
  return R::Ok();
}

Reply CloseUpload(VirtualRegister& reg, const Command&) {
  PictureStore& p = reg.state().pictures;
  if (!p.uploadOpen) return R::Error(rc::kWrongMode);
  p.uploadOpen = false;
  return R::Ok({static_cast<uint8_t>(p.Count())});
}

Reply OpenForReading(VirtualRegister& reg, const Command& c) {
  PictureStore& p = reg.state().pictures;
  const StoredPicture* picture = p.Closed(c.params[0]);
  if (picture == nullptr) return R::Error(rc::kNoSuchPicture);
  p.readNumber = c.params[0];
  p.readLine = 0;
  const int h = picture->Height();
  return R::Ok({static_cast<uint8_t>(picture->lineBytes), static_cast<uint8_t>(h >> 8),
                static_cast<uint8_t>(h & 0xFF)});
}

Reply NextLine(VirtualRegister& reg, const Command&) {
  PictureStore& p = reg.state().pictures;
  const StoredPicture* picture = p.Closed(p.readNumber);
  if (picture == nullptr || p.readLine >= picture->Height())
    return R::Error(rc::kNoMorePictureLines);
  std::span<const uint8_t> line = picture->Line(p.readLine++);
  return R::Ok(std::vector<uint8_t>(line.begin(), line.end()));
}

// Target, picture number, offset (16 bits, high first).
Reply PrintStored(VirtualRegister& reg, const Command& c) {
  if (c.params[0] != kTape) return R::Error(rc::kBadTarget);
  const StoredPicture* picture = reg.state().pictures.Closed(c.params[1]);
  if (picture == nullptr) return R::Error(rc::kNoSuchPicture);
  const int offset = c.params[2] << 8 | c.params[3];
  PrintPictureOnTape(reg, picture->lines, picture->lineBytes, offset, DoubleHeight(reg) ? 2 : 1);
  return R::Ok();
}

// Target, repeat count (16 bits), offset (16 bits), the line.
Reply PrintLine(VirtualRegister& reg, const Command& c) {
  if (c.params[0] != kTape) return R::Error(rc::kBadTarget);
  const int repeat = c.params[1] << 8 | c.params[2];
  const int offset = c.params[3] << 8 | c.params[4];
  std::span<const uint8_t> line = c.params.subspan(5);
  if (line.size() > kPictureMaxLineBytes) return R::Error(rc::kBadLength);
  if (line.empty()) {
    for (int i = 0; i < repeat; ++i) reg.Print("");
    return R::Ok();
  }
  PrintPictureOnTape(reg, line, line.size(), offset, repeat);
  return R::Ok();
}

}  // namespace

void PrintPictureOnTape(VirtualRegister& reg, std::span<const uint8_t> lines, size_t lineBytes,
                        int offset, int repeat) {
  for (std::string& line :
       PictureTapeLines(lines, lineBytes, offset * DotsPerOffsetUnit(reg), repeat))
    reg.Print(std::move(line));
}

void PrintReceiptTextRows(VirtualRegister& reg, uint16_t first, uint16_t last) {
  const TableStore& tables = reg.state().tables;
  const PictureStore& pictures = reg.state().pictures;
  const int repeat = DoubleHeight(reg) ? 2 : 1;
  for (uint16_t row = first; row <= last; ++row) {
    const std::vector<uint8_t> bytes = tables.Get({kReceiptTextTable, row, 1});
    // Text runs print as lines of their own around a stored picture; a picture the memory
    // does not hold shows as its record, within the text.
    std::string text;
    std::vector<uint8_t> run;
    auto flushRun = [&] {
      text += Cp866ToUtf8(run);
      run.clear();
    };
    for (size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i) {
      if (bytes[i] == kLineTabByte) continue;  // the byte after it prints as itself
      if (bytes[i] != kLinePictureByte) {
        run.push_back(bytes[i]);
        continue;
      }
      if (i + 3 >= bytes.size()) break;
      flushRun();
      const int number = bytes[i + 1];
      const int offset = bytes[i + 2] << 8 | bytes[i + 3];
      i += 3;
      const StoredPicture* picture = pictures.Closed(number);
      if (picture == nullptr) {
        text +=
            "[картинка " + std::to_string(number) + ", смещение " + std::to_string(offset) + "]";
        continue;
      }
      if (!text.empty()) reg.Print(std::move(text));
      text.clear();
      PrintPictureOnTape(reg, picture->lines, picture->lineBytes, offset, repeat);
    }
    flushRun();
    if (!text.empty()) reg.Print(std::move(text));
  }
}

void RegisterPictureCommands(CommandTable& table) {
  table.Add({0x8C, "picture memory state", 0, kAnyMode, false, MemoryState, true});
  table.Add({0x8A, "delete picture", 1, Modes({4}), false, Delete, true});
  table.Add({0x8B, "picture line", 1, Modes({4}), false, AddLine, true});
  table.Add({0x9E, "close picture", 0, Modes({4}), false, CloseUpload, true});
  table.Add({0x9F, "open picture for reading", 1, kAnyMode, false, OpenForReading, true});
  table.Add({0x86, "next picture line", 0, kAnyMode, false, NextLine, true});
  table.Add({0x8D, "print picture", 4, kAnyMode, true, PrintStored, true});
  table.Add({0x8E, "print picture line", 5, kAnyMode, true, PrintLine});
}

}  // namespace ptk::emu
