#include "core/programming/firmware.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/link/direct_command.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/table_fields.h"
#include "core/shell/modes.h"

namespace ptk {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWaitSliceMs = 50;
constexpr int kProgrammingMode = 4;
constexpr uint8_t kSystemAdministratorRow = 30;

// The wait before a next-block command, cut into slices with the window messages pumped
// between them, so that the windows repaint and "Прервать" is seen by the next stop test.
void WaitBeforeBlock(Link& link) {
  for (uint32_t waited = 0; waited < kFirmwareBlockWaitMs; waited += kWaitSliceMs) {
    link.port().clock().Sleep(kWaitSliceMs);
    link.ui().PumpMessages();
  }
}

int RunFirmwareCommand(Link& link, std::vector<uint8_t> frame, int answerLength) {
  return link.Run(Exchange::ShortAnswer(std::move(frame), answerLength, kFirmwareDelayMs));
}

// The answer data of the last exchange: after STX, marker and result code, before ETX and
// the check byte.
std::span<const uint8_t> AnswerData(const Link& link) {
  if (link.AnswerLength <= 5) return {};
  return std::span<const uint8_t>(link.AnswerBuffer.data() + 3,
                                  static_cast<size_t>(link.AnswerLength - 5));
}

// The output of one transfer: a temporary file beside the target, put in its place by
// Commit; anything not committed is removed.
class OutputFile {
 public:
  explicit OutputFile(std::string target) : target_(std::move(target)), temp_(target_ + ".tmp") {}
  ~OutputFile() { Discard(); }

  bool Create() {
    file_.open(fs::path(temp_), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file_);
  }
  bool Write(std::span<const uint8_t> bytes) {
    file_.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file_);
  }
  bool Commit() {
    file_.close();
    if (file_.fail()) return false;
    std::error_code ec;
    fs::rename(fs::path(temp_), fs::path(target_), ec);
    if (ec) {
      // Some systems do not rename over an existing file.
      fs::remove(fs::path(target_), ec);
      fs::rename(fs::path(temp_), fs::path(target_), ec);
    }
    committed_ = !ec;
    return committed_;
  }
  void Discard() {
    if (committed_) return;
    if (file_.is_open()) file_.close();
    std::error_code ec;
    fs::remove(fs::path(temp_), ec);
  }

 private:
  std::string target_;
  std::string temp_;
  std::ofstream file_;
  bool committed_ = false;
};

// One transfer in progress: the block arithmetic and the writing of the blocks.
struct Transfer {
  Link& link;
  FirmwareSource source;
  const FirmwareProgress& progress;
  OutputFile& out;
  uint32_t size = 0;
  uint32_t written = 0;
  uint64_t gauge = 0;

  void Advance() {
    gauge += FirmwareBlockSize(source);
    if (progress.advanced) progress.advanced(gauge);
  }
  // Writes the bytes of the block just received that the firmware still needs; false after
  // showing why it could not.
  bool TakeBlock(FirmwareBlockTake& take) {
    take = TakeFirmwareBlock(size, written, FirmwareBlockSize(source));
    const std::span<const uint8_t> data = AnswerData(link);
    if (data.size() < take.bytes) {
      ShowDirectError(link.ui(), direct_error::kNoData);
      return false;
    }
    if (!out.Write(data.first(take.bytes))) {
      ShowDirectError(link.ui(), direct_error::kFileWrite);
      return false;
    }
    written += static_cast<uint32_t>(take.bytes);
    return true;
  }
  // The end of a transfer the register called complete: short of the size is a failure.
  bool Finish() {
    if (written < size) {
      ShowDirectError(link.ui(), direct_error::kNoData);
      return false;
    }
    if (!out.Commit()) {
      ShowDirectError(link.ui(), direct_error::kFileWrite);
      return false;
    }
    return true;
  }
};

void BeginLongOperation(UserAbort& abort) {
  abort.running = RunningOperation::Firmware;
  abort.stopRequested = false;
}

bool SameContents(const std::string& a, const std::string& b) {
  std::ifstream fa(fs::path(a), std::ios::binary), fb(fs::path(b), std::ios::binary);
  if (!fa || !fb) return false;
  char ba[4096], bb[4096];
  while (true) {
    fa.read(ba, sizeof ba);
    fb.read(bb, sizeof bb);
    const std::streamsize na = fa.gcount(), nb = fb.gcount();
    if (na != nb || !std::equal(ba, ba + na, bb)) return false;
    if (na == 0) return fa.eof() && fb.eof();
  }
}

}  // namespace

size_t FirmwareBlockSize(FirmwareSource source) {
  return source == FirmwareSource::Fp ? kFpFirmwareBlock : kPtkFirmwareBlock;
}

std::string_view FirmwareFileName(FirmwareSource source) {
  return source == FirmwareSource::Fp ? "PO_FP.bin" : "PO_KKM.bin";
}

std::string_view FirmwareReadText(FirmwareSource source) {
  return source == FirmwareSource::Fp ? "ПО ФП считано в файл PO_FP.bin."
                                      : "ПО ПТК считано в файл PO_KKM.bin.";
}

std::string_view FirmwareMatchText(FirmwareSource source) {
  return source == FirmwareSource::Fp ? "ПО ФП соответствует эталонной версии!"
                                      : "ПО ПТК соответствует эталонной версии!";
}

std::string_view FirmwareMismatchText(FirmwareSource source) {
  return source == FirmwareSource::Fp ? "ПО ФП не соответствует эталонной версии!"
                                      : "ПО ПТК не соответствует эталонной версии!";
}

std::string_view FirmwareCompareCaption(FirmwareSource source) {
  return source == FirmwareSource::Fp ? kCaptionFirmwareCompareFp : kCaptionFirmwareCompare;
}

std::vector<uint8_t> FirmwareStartFrame(const Link& link, FirmwareSource source) {
  return link.CommandFrame(kCmdFirmwareStart, {static_cast<uint8_t>(source)});
}

std::vector<uint8_t> FirmwareBlockFrame(const Link& link) {
  return link.CommandFrame(kCmdFirmwareBlock);
}

int StartFirmwareTransfer(Link& link, UserAbort& abort, FirmwareSource source, uint32_t& size) {
  size = 0;
  if (CheckUserAbort(abort, link.ui()) != 0) return kFirmwareStopped;
  const int status =
      RunFirmwareCommand(link, FirmwareStartFrame(link, source), kFirmwareStartAnswerLength);
  if (status != kExchangeOk) return status;
  const std::span<const uint8_t> data = AnswerData(link);
  if (data.size() >= 3)
    size = static_cast<uint32_t>(data[0]) << 16 | static_cast<uint32_t>(data[1]) << 8 | data[2];
  return status;
}

int NextFirmwareBlock(Link& link, UserAbort& abort) {
  if (CheckUserAbort(abort, link.ui()) != 0) return kFirmwareStopped;
  return RunFirmwareCommand(link, FirmwareBlockFrame(link), kFirmwareBlockAnswerLength);
}

FirmwareBlockTake TakeFirmwareBlock(uint32_t size, uint32_t written, size_t blockSize) {
  const uint32_t missing = written < size ? size - written : 0;
  FirmwareBlockTake take;
  take.bytes = std::min<size_t>(missing, blockSize);
  take.endsAtSize = written + take.bytes >= size;
  return take;
}

FirmwareRead ReadFirmware(Link& link, UserAbort& abort, FirmwareSource source,
                          const std::string& outputPath, const FirmwareProgress& progress) {
  BeginLongOperation(abort);
  FirmwareRead result;
  result.status = StartFirmwareTransfer(link, abort, source, result.size);
  if (result.status != kExchangeOk) return result;
  if (progress.started) progress.started(result.size);
  OutputFile out(outputPath);
  if (!out.Create()) {
    ShowDirectError(link.ui(), direct_error::kCannotOpenFile);
    result.status = 0;
    return result;
  }
  Transfer t{link, source, progress, out, result.size};
  int status = kExchangeOk;
  while (status == kExchangeOk) {
    WaitBeforeBlock(link);
    status = NextFirmwareBlock(link, abort);
    if (status == kFirmwareStopped) break;
    if (CheckUserAbort(abort, link.ui()) != 0) {
      status = kFirmwareStopped;
      break;
    }
    t.Advance();
    if (status != kExchangeOk) break;
    FirmwareBlockTake take;
    if (!t.TakeBlock(take)) {
      status = 0;
      break;
    }
    // A block that ends exactly at the size is followed by one more command, which the
    // register answers with "no more data".
    if (take.bytes < FirmwareBlockSize(source)) status = kFirmwareComplete;
  }
  if (status == kFirmwareComplete && !t.Finish()) status = 0;
  result.written = t.written;
  result.status = status;
  return result;
}

FirmwareVerdict CompareFirmware(Link& link, UserAbort& abort, FirmwareSource source,
                                const std::string& referencePath, const std::string& outputPath,
                                const FirmwareProgress& progress) {
  BeginLongOperation(abort);
  uint32_t size = 0;
  int status = StartFirmwareTransfer(link, abort, source, size);
  if (status == kFirmwareStopped) return FirmwareVerdict::Stopped;
  if (status != kExchangeOk) return FirmwareVerdict::Failed;
  std::error_code ec;
  const fs::path reference(referencePath);
  if (!fs::is_regular_file(reference, ec) || !std::ifstream(reference, std::ios::binary)) {
    ShowError(link.ui(), kTextFirmwareNoReference);
    return FirmwareVerdict::NoReference;
  }
  const uintmax_t referenceSize = fs::file_size(reference, ec);
  if (ec || referenceSize != size) {
    ShowError(link.ui(), FirmwareMismatchText(source));
    return FirmwareVerdict::Different;
  }
  if (progress.started) progress.started(size);
  OutputFile out(outputPath);
  if (!out.Create()) {
    ShowDirectError(link.ui(), direct_error::kCannotOpenFile);
    return FirmwareVerdict::Failed;
  }
  Transfer t{link, source, progress, out, size};
  // A firmware of no bytes at all is complete before any block.
  if (size == 0) status = kFirmwareComplete;
  while (status == kExchangeOk) {
    WaitBeforeBlock(link);
    if (CheckUserAbort(abort, link.ui()) != 0) return FirmwareVerdict::Stopped;
    status = NextFirmwareBlock(link, abort);
    if (status == kFirmwareStopped) return FirmwareVerdict::Stopped;
    if (status == kExchangeNoMoreData) {
      // The register ended the transfer before the size it gave.
      ShowDirectError(link.ui(), direct_error::kNoData);
      return FirmwareVerdict::Failed;
    }
    if (status != kExchangeOk) return FirmwareVerdict::Failed;
    if (CheckUserAbort(abort, link.ui()) != 0) return FirmwareVerdict::Stopped;
    t.Advance();
    FirmwareBlockTake take;
    if (!t.TakeBlock(take)) return FirmwareVerdict::Failed;
    if (take.endsAtSize) status = kFirmwareComplete;
  }
  if (!t.Finish()) return FirmwareVerdict::Failed;
  if (!SameContents(referencePath, outputPath)) {
    ShowError(link.ui(), FirmwareMismatchText(source));
    return FirmwareVerdict::Different;
  }
  if (progress.advanced) progress.advanced(size);
  ShowInfo(link.ui(), FirmwareMatchText(source));
  return FirmwareVerdict::Same;
}

int EnterFirmwareProgramming(Link& link, UserAbort& abort) {
  // As the action does: only a link failure of ExitMode ends it (a register that is in no
  // mode to leave still takes the mode entry).
  int status = ExitMode(link);
  if (status == kExchangeLinkFailure) return status;
  status = ReadTableField(link, abort, kUsersTable, kSystemAdministratorRow, 1);
  if (status != kExchangeOk) return status;
  const std::span<const uint8_t> data = ClassicAnswerData(link);
  const std::string password = DecodePacked(data.first(std::min<size_t>(data.size(), 4)));
  return EnterMode(link, kProgrammingMode, password);
}

}  // namespace ptk
