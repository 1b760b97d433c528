// Reading the register's firmware, of its control block (ПТК) or of its fiscal-memory
// block (ФП), in numbered blocks: into a file, or compared byte for byte with a reference
// file. The start command (0x9C) gives the size; every next-block command (0x84), sent
// after a wait of one second, gives one block (250 bytes for the ПТК, 28 for the ФП); the
// result code 0x18 ends the transfer. The person can stop it between commands.
//
// The firmware is written to a temporary file beside the target, which replaces the
// target only when the transfer is complete: a failed or stopped read leaves an earlier
// file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/shell/user_abort.h"

namespace ptk {

enum class FirmwareSource : uint8_t { Ptk = 1, Fp = 2 };

inline constexpr uint8_t kCmdFirmwareStart = 0x9C;
inline constexpr uint8_t kCmdFirmwareBlock = 0x84;
inline constexpr size_t kPtkFirmwareBlock = 250;
inline constexpr size_t kFpFirmwareBlock = 28;
inline constexpr uint32_t kFirmwareBlockWaitMs = 1000;  // before every next-block command
inline constexpr uint32_t kFirmwareDelayMs = 200;
inline constexpr int kFirmwareStartAnswerLength = 15;
inline constexpr int kFirmwareBlockAnswerLength = 60;
inline constexpr uint32_t kFirmwareMaxSize = 0xFFFFFF;  // three bytes

// Final statuses of a transfer: complete, stopped by the person; any other value failed
// (an exchange's status, or 0 after a file error).
inline constexpr int kFirmwareComplete = 2;
inline constexpr int kFirmwareStopped = -1;

// Texts.
inline constexpr std::string_view kTextFirmwareNoReference =
    "Нет указанного файла для проверки ПО!";
inline constexpr std::string_view kCaptionFirmwareReading = "ВНИМАНИЕ !!! Идет чтение ПО.";
inline constexpr std::string_view kCaptionFirmwareCompare = "Сравнение ПО ККM";  // Latin M
inline constexpr std::string_view kCaptionFirmwareCompareFp = "Сравнение ПО ФП";
size_t FirmwareBlockSize(FirmwareSource source);
std::string_view FirmwareFileName(FirmwareSource source);  // "PO_KKM.bin", "PO_FP.bin"
std::string_view FirmwareReadText(FirmwareSource source);  // "ПО ПТК считано в файл PO_KKM.bin."
std::string_view FirmwareMatchText(FirmwareSource source);
std::string_view FirmwareMismatchText(FirmwareSource source);
// The comparison window's caption for the source.
std::string_view FirmwareCompareCaption(FirmwareSource source);

// password, 0x9C, source; password, 0x84.
std::vector<uint8_t> FirmwareStartFrame(const Link& link, FirmwareSource source);
std::vector<uint8_t> FirmwareBlockFrame(const Link& link);

// The stop test first (a stop returns kFirmwareStopped and sends nothing), then the
// exchange (short answers allowed, answer length 15 and 60, default time-outs, delay 200
// ms). The start gives the size (answer data bytes 0..2, high first); a next-block
// command answered 0x18 gives kExchangeNoMoreData (2).
int StartFirmwareTransfer(Link& link, UserAbort& abort, FirmwareSource source, uint32_t& size);
int NextFirmwareBlock(Link& link, UserAbort& abort);

// How much of a block to keep: the whole block, or only the bytes still missing when fewer
// remain; endsAtSize when the firmware is then complete.
struct FirmwareBlockTake {
  size_t bytes = 0;
  bool endsAtSize = false;
};
FirmwareBlockTake TakeFirmwareBlock(uint32_t size, uint32_t written, size_t blockSize);

// What the window shows while a transfer runs: the size once the transfer has started
// (the gauge's maximum and ed_LenPO), and the gauge after every next-block command (it
// advances by the block size, and may pass the size on the last block).
struct FirmwareProgress {
  std::function<void(uint32_t size)> started;
  std::function<void(uint64_t gauge)> advanced;
};

struct FirmwareRead {
  int status = 0;  // kFirmwareComplete, kFirmwareStopped or a failure
  uint32_t size = 0;
  uint32_t written = 0;  // bytes received
};

// Reads the firmware into outputPath (the window gives FirmwareFileName in the working
// folder). Clears the stop flag and sets the running operation first. Shows no verdict:
// on kFirmwareComplete the window shows FirmwareReadText. A transfer that ends before the
// size, or a block shorter than the bytes needed, shows "Нет данных для передачи"; a file
// that cannot be created or written "Невозможно открыть файл" / "Ошибка записи в файл".
FirmwareRead ReadFirmware(Link& link, UserAbort& abort, FirmwareSource source,
                          const std::string& outputPath, const FirmwareProgress& progress = {});

enum class FirmwareVerdict {
  Same,       // "ПО ... соответствует эталонной версии!" shown
  Different,  // "ПО ... не соответствует эталонной версии!" shown (also another size)
  NoReference,  // kTextFirmwareNoReference shown
  Stopped,      // "Прервано пользователем!" shown by the stop test
  Failed,       // shown by the exchange, or the file messages above
};

// Reads the firmware into outputPath as ReadFirmware does and compares it with the
// reference byte for byte; a reference of another size is refused before any block is
// read. Shows the verdict itself.
FirmwareVerdict CompareFirmware(Link& link, UserAbort& abort, FirmwareSource source,
                                const std::string& referencePath, const std::string& outputPath,
                                const FirmwareProgress& progress = {});

// The firmware-comparison action's mode entry: ExitMode (only its link failure ends it); the system
// administrator's password (table 3, row 30, field 1) by a classic read; EnterMode 4 with it. 1
// when the register is in programming mode, else the first failing status (shown by the exchange).
int EnterFirmwareProgramming(Link& link, UserAbort& abort);

}  // namespace ptk
