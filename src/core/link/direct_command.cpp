#include "core/link/direct_command.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/link/encoding.h"
#include "core/link/framing.h"
#include "core/link/result_codes.h"

namespace ptk {
namespace {

using namespace direct_error;

constexpr std::string_view kCaptionLastError = "GetLastError";
constexpr std::string_view kUnknownErrorText = "Неизвестная ошибка";

struct ErrorText {
  int code;
  std::string_view text;
};

constexpr ErrorText kErrorTexts[] = {
    {kNoMemory, "Недостаточно памяти для выполнения операции"},
    {kCannotOpenFile, "Невозможно открыть файл"},
    {kFileWrite, "Ошибка записи в файл"},
    {kFileRead, "Ошибка чтения из файла"},
    {kLibraryNotFound, "Указанная в конфигурации библиотека управления не найдена"},
    {kNotImplemented, "Функция не реализована в устройстве"},
    {kGuiInit, "Ошибка при инициализации графического интерфейса пользователя"},
    {kInvalidParameter, "Недопустимый параметр"},
    {kInvalidDate, "Недопустимая дата"},
    {kPortUnavailable, "Порт недоступен"},
    {kLocalPort, "Ошибка локального порта"},
    {kNoLink, "Нет связи"},
    {kNoAnswer, "Нет ответа"},
    {kTransfer, "Ошибка при передаче данных"},
    {kTooLong, "Размер передаваемых данных больше допустимого"},
    {kExcessData, "Приняты избыточные данные"},
    {kChecksum, "Контрольная сумма данных не соответствует принятой"},
    {kPrinter, "Ошибка принтера устройства"},
    {kNoPaper, "Нет бумаги"},
    {kFiscalMemory, "Ошибка фискальной памяти"},
    {kEklz, "Ошибка ЭКЛЗ"},
    {kNoData, "Нет данных для передачи"},
    {kBufferTooSmall, "Размер данных превышает размер буфера"},
    {kNotFound, "Не найдено"},
    {kUnknown, "Неизвестная ошибка"},
    {kNeedsConfirmation, "Требуется подтверждение"},
    {kShiftTooLong, "Превышена продолжительность смены"},
    {kWrongPassword, "Неверный пароль"},
    {kWrongMode, "Невозможно в данном режиме"},
    {kUserAbort, "Операция прервана пользователем"},
};

constexpr uint8_t kCmdDeviceType = 0xA5;

// One command's conversation with the register. Every read waits for one byte within a
// phase time-out; a wait longer than one slice is cut into slices with window messages
// pumped between them. When the transfer ends, the last phase's time-out is put back on
// the port, so that it stays in force as if the phase had waited in one piece.
class Transfer {
 public:
  explicit Transfer(SerialPort& port) : port_(port), device_(port.device()) {}
  ~Transfer() {
    if (currentMs_ != phaseMs_) device_.SetReadTimeout(phaseMs_);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  enum class Read { Byte, None, Failed, Quit };

  // Sets the phase's read time-out; false when the port refused it.
  bool SetPhaseTimeout(uint32_t ms) {
    phaseMs_ = ms;
    if (!device_.SetReadTimeout(ms)) return false;
    currentMs_ = ms;
    return true;
  }

  Read ReadByte(uint8_t& byte) {
    if (phaseMs_ <= kDirectWaitSliceMs) return Single(byte);
    Clock& clock = port_.clock();
    const uint32_t start = clock.TickCount();
    // A hang guard for a device that returns at once without a byte and without time
    // passing: no real wait needs more slices than milliseconds.
    uint64_t attempts = 0;
    for (;;) {
      const uint32_t elapsed = clock.TickCount() - start;
      const uint32_t remaining = elapsed >= phaseMs_ ? 0 : phaseMs_ - elapsed;
      if (remaining == 0 || ++attempts > uint64_t{phaseMs_} + 10) return Read::None;
      const uint32_t slice = std::min(remaining, kDirectWaitSliceMs);
      if (slice != currentMs_) {
        if (!device_.SetReadTimeout(slice)) return Read::Failed;
        currentMs_ = slice;
      }
      const Read r = Single(byte);
      if (r != Read::None) return r;
      if (!port_.ui().PumpMessages()) return Read::Quit;
    }
  }

  bool Write(const uint8_t* data, size_t length) { return device_.Write(data, length); }
  bool WriteByte(uint8_t b) { return device_.Write(&b, 1); }

 private:
  Read Single(uint8_t& byte) {
    switch (device_.ReadByte(byte)) {
      case ReadStatus::Byte:
        return Read::Byte;
      case ReadStatus::Timeout:
        return Read::None;
      case ReadStatus::Failed:
        break;
    }
    return Read::Failed;
  }

  SerialPort& port_;
  PortDevice& device_;
  uint32_t phaseMs_ = 0;
  uint32_t currentMs_ = 0;
};

// The error of a read that brought no byte: a silent line gives `none`, a failed port
// 194, and a quitting application the user-abort code.
int ReadError(Transfer::Read r, int none) {
  switch (r) {
    case Transfer::Read::None:
      return none;
    case Transfer::Read::Quit:
      return kUserAbort;
    default:
      return kLocalPort;
  }
}

int RunTransfer(SerialPort& port, const std::vector<uint8_t>& frame, uint8_t code, uint8_t* answer,
                size_t capacity, size_t* answerLength) {
  Transfer t(port);
  uint8_t b = 0;

  // Handshake.
  if (!t.SetPhaseTimeout(kDirectHandshakeMs)) {
    std::string text = LastSystemErrorText();
    port.ui().ShowBox(kCaptionLastError, text, Icon::Information, Buttons::Ok);
    return kLocalPort;
  }
  bool acknowledged = false;
  for (int attempt = 0; attempt < kDirectEnqAttempts && !acknowledged; ++attempt) {
    if (!t.WriteByte(ENQ)) return kLocalPort;
    Transfer::Read r = t.ReadByte(b);
    if (r == Transfer::Read::Failed || r == Transfer::Read::Quit) return ReadError(r, kNoLink);
    acknowledged = r == Transfer::Read::Byte && b == ACK;
  }
  if (!acknowledged) return kNoLink;

  // The frame and its acknowledgement; a NAK is not answered by sending the frame again.
  if (!t.SetPhaseTimeout(kDirectReplyMs)) return kLocalPort;
  if (!t.Write(frame.data(), frame.size())) return kLocalPort;
  for (int naks = 0;;) {
    Transfer::Read r = t.ReadByte(b);
    if (r != Transfer::Read::Byte) return ReadError(r, kTransfer);
    if (b == ACK) break;
    if (b != NAK || ++naks >= kDirectNakLimit) return kTransfer;
  }
  if (!t.WriteByte(EOT)) return kLocalPort;
  if (answer == nullptr) return kOk;

  // The register opens its answer transfer.
  if (!t.SetPhaseTimeout(DirectAnswerTimeout(code))) return kLocalPort;
  Transfer::Read r = t.ReadByte(b);
  if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
  if (b == ENQ && !t.WriteByte(ACK)) return kLocalPort;

  // The answer frame.
  if (!t.SetPhaseTimeout(kDirectFirstByteMs)) return kLocalPort;
  r = t.ReadByte(b);
  if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
  if (!t.SetPhaseTimeout(kDirectByteMs)) return kLocalPort;
  // Bytes before STX are skipped, but a line that keeps talking without ever sending
  // STX must not hold the program forever.
  for (size_t skipped = 0; b != STX; ++skipped) {
    if (skipped >= kDirectAreaSize) return kExcessData;
    r = t.ReadByte(b);
    if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
  }
  std::vector<uint8_t> stored{STX};
  bool afterDle = false;
  for (;;) {
    r = t.ReadByte(b);
    if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
    stored.push_back(b);
    if (stored.size() >= kDirectAreaSize) return kExcessData;
    if (afterDle) {
      afterDle = false;
    } else if (b == DLE) {
      afterDle = true;
    } else if (b == ETX) {
      break;
    }
  }
  r = t.ReadByte(b);
  if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
  uint8_t check = 0;
  for (size_t i = 1; i < stored.size(); ++i) check ^= stored[i];
  if (check != b) return kChecksum;

  // Unstuff the payload between STX and the ending ETX: a DLE before DLE or ETX is a
  // stuffing byte; before anything else it is data.
  std::vector<uint8_t> payload;
  const size_t end = stored.size() - 1;
  for (size_t i = 1; i < end; ++i) {
    if (stored[i] == DLE && i + 1 < end && (stored[i + 1] == DLE || stored[i + 1] == ETX)) ++i;
    payload.push_back(stored[i]);
  }
  if (payload.size() > kDirectAreaSize) return kExcessData;
  if (payload.size() > capacity) return kBufferTooSmall;
  std::copy(payload.begin(), payload.end(), answer);
  *answerLength = payload.size();

  // Acknowledge and take the closing byte (an EOT; its value is not examined).
  if (!t.WriteByte(ACK)) return kLocalPort;
  if (!t.SetPhaseTimeout(kDirectReplyMs)) return kLocalPort;
  r = t.ReadByte(b);
  if (r != Transfer::Read::Byte) return ReadError(r, kNoAnswer);
  return kOk;
}

const ModelCapabilities kNoCapabilities{};
const ModelCapabilities kFullCapabilities{1, 1, 1, 1, 1, 0, 1, 1, 1};

}  // namespace

uint32_t DirectAnswerTimeout(uint8_t code) {
  switch (code) {
    case 0x4A:
    case 0x62:
    case 0xA6:
    case 0xA7:
      return 20000;
    case 0x5A:
      return 40000;
    case 0x91:
      return 45000;
    case 0x65:
    case 0x66:
      return 600000;
    default:
      if (code >= 0xA8 && code <= 0xAD) return 120000;
      return 10000;
  }
}

int DirectErrorForResult(uint8_t resultCode) {
  switch (resultCode) {
    case rc::kOk:
      return kOk;
    case rc::kNeedsDateConfirmation:
      return kNeedsConfirmation;
    case rc::kShiftOver24Hours:
      return kShiftTooLong;
    case rc::kWrongPassword:
      return kWrongPassword;
    case rc::kWrongMode:
      return kWrongMode;
    case rc::kNoPaper:
      return kNoPaper;
    default:
      return static_cast<int>(0x80000000u + resultCode);
  }
}

int DirectCommand(SerialPort& port, const Settings& settings, uint8_t code,
                  std::span<const uint8_t> params, uint8_t* answer, size_t* answerLength) {
  if (answer != nullptr && answerLength == nullptr) return kInvalidParameter;
  // A command started from a window while another one waits would interleave with it
  // on the line: it is refused before anything changes.
  const SerialPort::LineHold hold(port);
  if (!hold.held()) return kLineBusy;
  // Until an answer has been taken, the caller's buffer holds nothing.
  const size_t capacity = answer != nullptr ? *answerLength : 0;
  if (answer != nullptr) *answerLength = 0;

  std::vector<uint8_t> payload = PackBcd(AccessPasswordDigits(settings.AccessPassword));
  payload.push_back(code);
  if (params.size() > kDirectAreaSize - payload.size()) return kTooLong;
  payload.insert(payload.end(), params.begin(), params.end());
  if (Stuff(payload).size() >= kDirectAreaSize) return kTooLong;

  int error = RunTransfer(port, BuildFrame(payload), code, answer, capacity, answerLength);
  if (error != kOk || answer == nullptr) return error;
  // The device-type answer carries its result code in its first byte, as the frame
  // exchange reads it; its second byte is identification data. Every other answer is
  // marker, result code, data.
  if (code == kCmdDeviceType) {
    if (*answerLength < 1) return kNoAnswer;
    return DirectErrorForResult(answer[0]);
  }
  // A payload without a result code is no answer at all, not a success.
  if (*answerLength < 2) return kNoAnswer;
  return DirectErrorForResult(answer[1]);
}

std::string_view DirectErrorText(int error) {
  for (const ErrorText& e : kErrorTexts)
    if (e.code == error) return e.text;
  return kUnknownErrorText;
}

void ShowDirectError(UserInterface& ui, int error) {
  // A command refused because the line was taken was ignored, not failed.
  if (error == kOk || error == kLineBusy) return;
  if (error < 0) {
    ShowResultCode(ui, static_cast<uint8_t>(error & 0xFF));
    return;
  }
  ShowError(ui, DirectErrorText(error));
}

const ModelCapabilities& CapabilitiesForModel(uint16_t modelCode) {
  if (modelCode == kModelCodeThird) return kFullCapabilities;
  return kNoCapabilities;  // the first two known models and every unknown one
}

ModelIdentity& CurrentModel() {
  static ModelIdentity identity;
  return identity;
}

int IdentifyModel(SerialPort& port, const Settings& settings, ModelIdentity& identity) {
  identity = ModelIdentity{};
  std::array<uint8_t, kDirectAreaSize> answer{};
  size_t length = answer.size();
  int error = DirectCommand(port, settings, kCmdDeviceType, {}, answer.data(), &length);
  if (error != kOk) return error;
  if (length >= 8) identity.modelCode = static_cast<uint16_t>(answer[6] | (answer[7] << 8));
  identity.caps = CapabilitiesForModel(identity.modelCode);
  return kOk;
}

int IdentifyModel(Link& link) {
  return IdentifyModel(link.port(), link.settings(), CurrentModel());
}

}  // namespace ptk
