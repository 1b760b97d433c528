#include "emulator/virtual_register.h"

#include <ctime>

#include "core/link/direct_command.h"

namespace ptk::emu {

uint16_t DefaultModelCode() {
  return kModelCodeThird;
}

namespace {

// How long an opened cash drawer stays open before the cashier pushes it shut.
constexpr uint32_t kDrawerOpenMs = 5000;

int64_t HostLocalSeconds() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
  return static_cast<int64_t>(now) - static_cast<int64_t>(_timezone);
#else
  localtime_r(&now, &local);
  return static_cast<int64_t>(now) + local.tm_gmtoff;
#endif
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool ValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= days;
}

int64_t ToSeconds(const DateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

DateTime FromSeconds(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  DateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

VirtualRegister::VirtualRegister(Clock& clock, uint16_t model)
    : clock_(&clock), hostTime_(HostLocalSeconds) {
  state_.model = model != 0 ? model : DefaultModelCode();
  Reset();
  RegisterStateCommands(commands_);
  RegisterModeCommands(commands_);
  RegisterServiceCommands(commands_);
  RegisterPrintCommands(commands_);
  RegisterReceiptCommands(commands_);
  RegisterCashCommands(commands_);
  RegisterExtraCommands(commands_);
  RegisterTableCommands(commands_);
  RegisterRegisterCommands(commands_);
  RegisterReportCommands(commands_);
  RegisterFiscalCommands(commands_);
  RegisterEklzCommands(commands_);
  RegisterPictureCommands(commands_);
  RegisterFirmwareCommands(commands_);
}

void VirtualRegister::Reset() {
  uint16_t model = state_.model;
  state_ = RegisterState{};
  state_.model = model;
  LoadDefaultTables(state_.tables, model);
  drawerOpen_ = false;
  job_ = ReportJob{};
  firmware_.source = 0;
  firmware_.position = 0;
}

DateTime VirtualRegister::Now() const {
  return FromSeconds(hostTime_() + state_.clockOffset);
}

void VirtualRegister::SetNow(const DateTime& t) {
  state_.clockOffset = ToSeconds(t) - hostTime_();
}

uint8_t VirtualRegister::PrinterRefusal() const {
  const uint8_t flags = faults_.printerFlags;
  if (flags & kPrinterNoLink) return rc::kNoPrinterLink;
  if (flags & (kPrinterNoPaper | kPrinterNoRoll)) return rc::kNoPaper;
  if (flags & kPrinterCoverOpen) return rc::kPrinterMechanical;
  return rc::kOk;
}

bool VirtualRegister::DrawerOpen(uint32_t now) const {
  return drawerOpen_ && static_cast<int32_t>(now - drawerOpenUntil_) < 0;
}

void VirtualRegister::OpenDrawer(uint32_t now) {
  drawerOpen_ = true;
  drawerOpenUntil_ = now + kDrawerOpenMs;
  ++state_.drawerOpenings;
}

Reply VirtualRegister::Ok(std::initializer_list<uint8_t> data) {
  return Ok(std::vector<uint8_t>(data));
}

Reply VirtualRegister::Ok(std::vector<uint8_t> data) {
  Reply reply;
  reply.payload.reserve(data.size() + 2);
  reply.payload.push_back(kAnswerMarker);
  reply.payload.push_back(rc::kOk);
  for (uint8_t b : data) reply.payload.push_back(b);
  return reply;
}

Reply VirtualRegister::Error(uint8_t code, AnswerShape shape) {
  Reply reply;
  // The device-type answer carries its result code first; repeating it in the second
  // byte lets both command paths of the program see the error.
  if (shape == AnswerShape::ResultFirst) {
    reply.payload = {code, code, 0x00};
  } else {
    reply.payload = {kAnswerMarker, code, 0x00};
  }
  return reply;
}

Reply VirtualRegister::Execute(std::span<const uint8_t> payload) {
  if (payload.size() < 3) return Error(rc::kBadCommand);
  Command command;
  command.code = payload[2];
  command.params = payload.subspan(3);
  command.now = clock_->TickCount();
  // The printer has been at work since the last command.
  AdvanceReport(command.now);

  const CommandSpec* spec = commands_.Find(command.code);
  const AnswerShape shape = spec ? spec->answer : AnswerShape::Standard;
  std::vector<uint8_t> password = CommPassword();
  if (password.size() != 2 || payload[0] != password[0] || payload[1] != password[1])
    return Error(rc::kWrongPassword, shape);

  uint8_t forced = 0;
  bool forcedCode = faults_.TakeCode(command.code, forced);
  if (forcedCode && forced != rc::kOk && forced != 0x01) return Error(forced, shape);

  if (!spec) return Error(rc::kNotSupported, shape);
  if (spec->picturesOnly && CapabilitiesForModel(state_.model).pictures == 0)
    return Error(rc::kNotSupported, shape);
  if (command.params.size() < spec->minParams) return Error(rc::kBadLength, shape);
  if (job_.active && !spec->whilePrinting) return Error(rc::kWrongMode, shape);
  if (!(spec->modes & (1u << (state_.mode & 0x0F)))) return Error(rc::kWrongMode, shape);
  if (spec->prints) {
    if (uint8_t refusal = PrinterRefusal()) return Error(refusal, shape);
  }
  Reply reply = spec->handler(*this, command);
  // A forced success code (0x01) replaces the handler's own.
  if (forcedCode && reply.payload.size() >= 2 && shape != AnswerShape::Fixed)
    reply.payload[shape == AnswerShape::ResultFirst ? 0 : 1] = forced;
  return reply;
}

}  // namespace ptk::emu
