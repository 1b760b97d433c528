// The register's picture memory and picture printing: the memory state, uploading a
// picture line by line, reading a stored one back, printing and deleting stored pictures,
// placing one into a receipt header or footer line, and printing pictures line by line
// (a displayed one, or a 1-bit BMP file straight from the PC).
//
// The picture manager's commands go through the compact path (DirectCommand) and return
// its error codes, which the window shows with ShowDirectError; the BMP printing goes
// through the frame exchange, which shows its own failures.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/programming/picture_image.h"
#include "core/programming/table_fields.h"

namespace ptk {

inline constexpr uint8_t kCmdPictureMemory = 0x8C;
inline constexpr uint8_t kCmdDeletePicture = 0x8A;
inline constexpr uint8_t kCmdPictureLine = 0x8B;
inline constexpr uint8_t kCmdClosePicture = 0x9E;
inline constexpr uint8_t kCmdOpenPicture = 0x9F;
inline constexpr uint8_t kCmdPictureNextLine = 0x86;
inline constexpr uint8_t kCmdPrintPicture = 0x8D;
inline constexpr uint8_t kCmdPrintPictureLine = 0x8E;
// The first parameter of both print commands: the receipt tape.
inline constexpr uint8_t kPictureTarget = 0x01;

// The longest line a stored picture may be read back with (0x86), in bytes.
inline constexpr size_t kPictureReadLineMax = 256;
// The longest line the BMP printing sends (400 dots); longer rows are cut.
inline constexpr size_t kBmpPrintLineMax = 50;

// Window texts.
inline constexpr std::string_view kTextDeletePictureQuestion = "Удалить изображение?";
inline constexpr std::string_view kTextClearPicturesQuestion = "Очистить буфер изображений?";
inline constexpr std::string_view kTextPictureNumberNone = "Номер: -";
inline constexpr std::string_view kTextPictureCountUnknown = "Количество изображений: ?";
inline constexpr std::string_view kTextPictureFreeUnknown = "Свободно: ?";
inline constexpr std::string_view kTextChooseBmp = "Выберите файл картинки!";
inline constexpr std::string_view kTextEnterRepeat = "Укажите кол-во повторов!";
inline constexpr std::string_view kTextEnterOffset = "Укажите смещение!";
inline constexpr std::string_view kTextNoBmpFile = "Нет указанного файла для печати!";
// "Количество изображений: 3", "Свободно: 1024 Б", "Номер: 5 ", "Размер: 125 Б", "10 x 100".
std::string PictureCountText(int count);
std::string PictureFreeText(int freeBytes);
std::string PictureNumberText(int number);
std::string PictureSizeText(int width, int height);
std::string PictureDimensionsText(int width, int height);

// The progress window as these operations drive it: a new total, then one step at a
// time. The window shows it without a cancel button and closes it after the call.
struct StepProgress {
  std::function<void(int total)> setTotal;
  std::function<void()> step;
  void Total(int total) const {
    if (setTotal) setTotal(total);
  }
  void Step() const {
    if (step) step();
  }
};

// 0x8C: free bytes (answer bytes 2..3, high first), count (4), and the flag of an upload
// left open (5).
struct PictureMemory {
  int freeBytes = 0;
  int count = 0;
  bool uploadOpen = false;
};
int QueryPictureMemory(Link& link, PictureMemory& memory);

// 0x8A with the picture number (0 deletes all); a number outside 0..255 is refused with
// 160 before anything is sent.
int DeletePicture(Link& link, int number);

// The offset as the register takes it: on a model that keeps offsets in units of 8 dots
// (offsetInEights) divided by 8. -1 for a negative offset or one beyond 16 bits.
int PictureOffsetUnits(int offsetDots, bool offsetInEights);

// 0x8D: target, picture number, offset (16 bits, high first). A number outside 1..255 or
// a bad offset is refused with 160 before anything is sent.
int PrintStoredPicture(Link& link, int number, int offsetDots, bool offsetInEights);

// Stores the picture in the register: total height + 4 steps. The memory state first
// (an upload left open by an earlier failure is deleted, as the picture numbered like the
// count, and the state read again); 14 when the free memory is less than PictureSizeBytes;
// then every line from the top with 0x8B (an error closes the upload with 0x9E and returns
// the first error); 0x9E gives the new number; the memory state is read once more for the
// labels (memoryKnown false when that failed: the labels show "?").
struct UploadResult {
  int number = 0;
  PictureMemory memory;
  bool memoryKnown = false;
};
int UploadPicture(Link& link, const MonoPicture& picture, const StepProgress& progress,
                  UploadResult& result);

// Reads stored picture n back (1..255, else 160 before anything is sent): one step, 0x9F
// (width in bytes, height), then a total of height + 2 and a step; each line with 0x86
// (257 when longer than kPictureReadLineMax), a step after each; a last step. The picture
// is 8 × its width in bytes wide; `out` is replaced only on success.
int ReadStoredPicture(Link& link, int number, const StepProgress& progress, MonoPicture& out);

// Prints the picture line by line with 0x8E (repeat 1, offset 0): a total of height steps,
// one after each line; the first error ends it.
int PrintPictureLines(Link& link, const MonoPicture& picture, const StepProgress& progress);

// Puts picture n at offsetDots into a header (line 1..4) or footer (1..10) line: a total of
// 11 steps; line 0 first writes every line of that part empty (a step each) and puts the
// picture into its first line. The line becomes the picture record 0x0A, n, offset (16
// bits, high first; divided by 8 when offsetInEights). Refused with 160 before anything is
// sent: a line the part does not have (header lines 5 to 10 are no header lines), a number
// outside 1..255, a bad offset.
int InsertPictureInReceiptText(Link& link, ReceiptText part, int line, int number, int offsetDots,
                               bool offsetInEights, const StepProgress& progress);

// The classic print-a-line frame: password, 0x8E, 0x01, repeat (16 bits, high first),
// offset (16 bits, high first), the line.
std::vector<uint8_t> PrintPictureLineFrame(const Link& link, uint16_t repeat, uint16_t offset,
                                           std::span<const uint8_t> line);

// fm_PrnBmp's printing of a 1-bit BMP file, row by row from the top, through the frame
// exchange (answerLength 6, exact, decodeResult 1, default time-outs, no delay). Each
// stored row is inverted (pixel value 0 prints a dot) and its first width / 8 bytes are
// sent (at most kBmpPrintLineMax). Clears the result line first. A file that cannot be
// read shows kTextNoBmpFile; a file that is no 1-bit BMP, or shorter than its pixels,
// shows "Ошибка чтения из файла"; a repeat or offset beyond 16 bits "Недопустимый
// параметр"; nothing is sent then. Returns the last exchange's status (1 when every row
// printed), 0 when nothing was sent.
int PrintBmpFile(Link& link, const std::string& path, int repeat, int offset);

// The largest picture file read: far beyond any picture the register can print (576 dots
// across), small enough to refuse a wrong file at once.
inline constexpr uintmax_t kMaxPictureFileBytes = 16u << 20;

// The file's bytes, whole; false (and no bytes) when it is no regular file, is larger than
// maxBytes, or cannot be opened or read to its end.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                   uintmax_t maxBytes = kMaxPictureFileBytes);

}  // namespace ptk
