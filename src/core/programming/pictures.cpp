#include "core/programming/pictures.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/programming/field_catalogue.h"
#include "core/programming/line_format.h"

namespace ptk {

namespace {

constexpr int kMaxPictureNumber = 255;
constexpr int kHeaderLineCount = 4;
constexpr int kFooterLineCount = 10;
constexpr int kInsertSteps = 11;

// One compact command and its answer (marker, result code, data).
struct PictureAnswer {
  std::array<uint8_t, kPictureReadLineMax + 2> bytes{};
  size_t length = 0;
};

int Send(Link& link, uint8_t code, std::span<const uint8_t> params, PictureAnswer& answer) {
  answer.length = answer.bytes.size();
  return DirectCommand(link, code, params, answer.bytes.data(), &answer.length);
}

int Send(Link& link, uint8_t code, std::span<const uint8_t> params = {}) {
  PictureAnswer answer;
  return Send(link, code, params, answer);
}

uint8_t High(int v) {
  return static_cast<uint8_t>((v >> 8) & 0xFF);
}
uint8_t Low(int v) {
  return static_cast<uint8_t>(v & 0xFF);
}

}  // namespace

std::string PictureCountText(int count) {
  return "Количество изображений: " + std::to_string(count);
}

std::string PictureFreeText(int freeBytes) {
  return "Свободно: " + std::to_string(freeBytes) + " Б";
}

std::string PictureNumberText(int number) {
  return "Номер: " + std::to_string(number) + " ";
}

std::string PictureSizeText(int width, int height) {
  return "Размер: " + std::to_string(PictureSizeBytes(width, height)) + " Б";
}

std::string PictureDimensionsText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

int QueryPictureMemory(Link& link, PictureMemory& memory) {
  PictureAnswer answer;
  const int error = Send(link, kCmdPictureMemory, {}, answer);
  if (error != direct_error::kOk) return error;
  const uint8_t* b = answer.bytes.data();
  memory.freeBytes = answer.length > 3 ? (b[2] << 8 | b[3]) : 0;
  memory.count = answer.length > 4 ? b[4] : 0;
  memory.uploadOpen = answer.length > 5 && b[5] != 0;
  return error;
}

int DeletePicture(Link& link, int number) {
  if (number < 0 || number > kMaxPictureNumber) return direct_error::kInvalidParameter;
  const uint8_t n = Low(number);
  return Send(link, kCmdDeletePicture, std::span<const uint8_t>(&n, 1));
}

int PictureOffsetUnits(int offsetDots, bool offsetInEights) {
  if (offsetDots < 0) return -1;
  const int units = offsetInEights ? offsetDots / 8 : offsetDots;
  return units > 0xFFFF ? -1 : units;
}

int PrintStoredPicture(Link& link, int number, int offsetDots, bool offsetInEights) {
  const int offset = PictureOffsetUnits(offsetDots, offsetInEights);
  if (number < 1 || number > kMaxPictureNumber || offset < 0)
    return direct_error::kInvalidParameter;
  const uint8_t params[] = {kPictureTarget, Low(number), High(offset), Low(offset)};
  return Send(link, kCmdPrintPicture, params);
}

int UploadPicture(Link& link, const MonoPicture& picture, const StepProgress& progress,
                  UploadResult& result) {
  result = UploadResult{};
  if (picture.width <= 0 || picture.height <= 0) return direct_error::kInvalidParameter;
  progress.Total(picture.height + 4);
  PictureMemory memory;
  int error = QueryPictureMemory(link, memory);
  if (error != direct_error::kOk) return error;
  progress.Step();
  if (memory.uploadOpen) {
    // An upload an earlier failure left open is the last picture: away with it.
    error = DeletePicture(link, memory.count);
    if (error == direct_error::kOk) error = QueryPictureMemory(link, memory);
    if (error != direct_error::kOk) return error;
  }
  progress.Step();
  if (memory.freeBytes < PictureSizeBytes(picture.width, picture.height))
    return direct_error::kNoMemory;
  for (int y = 0; y < picture.height; ++y) {
    error = Send(link, kCmdPictureLine, picture.Line(y));
    if (error != direct_error::kOk) {
      Send(link, kCmdClosePicture);  // the register must not keep the upload open
      return error;
    }
    progress.Step();
  }
  PictureAnswer closed;
  error = Send(link, kCmdClosePicture, {}, closed);
  if (error != direct_error::kOk) return error;
  progress.Step();
  result.number = closed.length > 2 ? closed.bytes[2] : 0;
  result.memoryKnown = QueryPictureMemory(link, result.memory) == direct_error::kOk;
  progress.Step();
  return direct_error::kOk;
}

int ReadStoredPicture(Link& link, int number, const StepProgress& progress, MonoPicture& out) {
  if (number < 1 || number > kMaxPictureNumber) return direct_error::kInvalidParameter;
  progress.Total(1);
  const uint8_t n = Low(number);
  PictureAnswer opened;
  int error = Send(link, kCmdOpenPicture, std::span<const uint8_t>(&n, 1), opened);
  if (error != direct_error::kOk) return error;
  const int widthBytes = opened.length > 2 ? opened.bytes[2] : 0;
  const int height = opened.length > 4 ? (opened.bytes[3] << 8 | opened.bytes[4]) : 0;
  progress.Total(height + 2);
  progress.Step();
  MonoPicture picture = BlankPicture(8 * widthBytes, height);
  if (picture.width == 0 && widthBytes != 0 && height != 0) return direct_error::kNoMemory;
  for (int y = 0; y < height; ++y) {
    PictureAnswer line;
    error = Send(link, kCmdPictureNextLine, {}, line);
    if (error != direct_error::kOk) return error;
    progress.Step();
    const size_t have = line.length > 2 ? line.length - 2 : 0;
    const size_t take = std::min(have, picture.LineBytes());
    std::copy_n(line.bytes.begin() + 2, take,
                picture.lines.begin() +
                    static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * picture.LineBytes()));
  }
  out = std::move(picture);
  progress.Step();
  return direct_error::kOk;
}

int PrintPictureLines(Link& link, const MonoPicture& picture, const StepProgress& progress) {
  progress.Total(picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::vector<uint8_t> params = {kPictureTarget, 0x00, 0x01, 0x00, 0x00};
    std::span<const uint8_t> line = picture.Line(y);
    params.insert(params.end(), line.begin(), line.end());
    const int error = Send(link, kCmdPrintPictureLine, params);
    if (error != direct_error::kOk) return error;
    progress.Step();
  }
  return direct_error::kOk;
}

int InsertPictureInReceiptText(Link& link, ReceiptText part, int line, int number, int offsetDots,
                               bool offsetInEights, const StepProgress& progress) {
  const int lines = part == ReceiptText::Header ? kHeaderLineCount : kFooterLineCount;
  const int offset = PictureOffsetUnits(offsetDots, offsetInEights);
  if (line < 0 || line > lines || number < 1 || number > kMaxPictureNumber || offset < 0)
    return direct_error::kInvalidParameter;
  const uint16_t base = part == ReceiptText::Header ? kHeaderFirstRow : kFooterFirstRow;
  progress.Total(kInsertSteps);
  if (line == 0) {
    const uint8_t empty = 0x00;
    for (int i = 0; i < lines; ++i) {
      const int error = WriteFieldCompact(link, kReceiptTextTable, static_cast<uint16_t>(base + i),
                                          1, std::span<const uint8_t>(&empty, 1));
      if (error != direct_error::kOk) return error;
      progress.Step();
    }
    line = 1;
  }
  const uint8_t record[] = {kLinePictureByte, Low(number), High(offset), Low(offset)};
  return WriteFieldCompact(link, kReceiptTextTable, static_cast<uint16_t>(base + line - 1), 1,
                           record);
}

std::vector<uint8_t> PrintPictureLineFrame(const Link& link, uint16_t repeat, uint16_t offset,
                                           std::span<const uint8_t> line) {
  std::vector<uint8_t> params = {kPictureTarget, High(repeat), Low(repeat), High(offset),
                                 Low(offset)};
  params.insert(params.end(), line.begin(), line.end());
  return link.CommandFrame(kCmdPrintPictureLine, params);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uintmax_t maxBytes) {
  bytes.clear();
  // A folder or a device is no file to read: reading a folder throws from the stream
  // buffer, and a device such as /dev/zero never ends.
  std::error_code ec;
  const std::filesystem::path p(path);
  if (!std::filesystem::is_regular_file(p, ec)) return false;
  const uintmax_t size = std::filesystem::file_size(p, ec);
  if (ec || size > maxBytes) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  bytes.resize(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) {
    bytes.clear();
    return false;
  }
  return true;
}

int PrintBmpFile(Link& link, const std::string& path, int repeat, int offset) {
  UserInterface& ui = link.ui();
  ui.SetResult("");
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, file)) {
    ShowError(ui, kTextNoBmpFile);
    return kExchangeLinkFailure;
  }
  BmpRows bmp;
  if (ReadBmp(file, bmp) != BmpError::None) {
    ShowDirectError(ui, direct_error::kFileRead);
    return kExchangeLinkFailure;
  }
  if (repeat < 0 || repeat > 0xFFFF || offset < 0 || offset > 0xFFFF) {
    ShowDirectError(ui, direct_error::kInvalidParameter);
    return kExchangeLinkFailure;
  }
  const size_t sent = std::min(static_cast<size_t>(bmp.width / 8), kBmpPrintLineMax);
  int status = kExchangeLinkFailure;
  for (int y = 0; y < bmp.height; ++y) {
    std::span<const uint8_t> row = bmp.Row(y);
    std::vector<uint8_t> line(sent);
    std::transform(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(sent), line.begin(),
                   [](uint8_t b) { return static_cast<uint8_t>(~b); });
    status = link.Run(Exchange::Plain(PrintPictureLineFrame(link, static_cast<uint16_t>(repeat),
                                                            static_cast<uint16_t>(offset), line)));
    if (status != kExchangeOk) break;
  }
  return status;
}

}  // namespace ptk
