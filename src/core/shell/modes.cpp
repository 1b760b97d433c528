#include "core/shell/modes.h"

#include <array>

#include "core/link/encoding.h"

namespace ptk {

int RequestedMode = 0;

namespace {

constexpr size_t kModePasswordDigits = 8;

constexpr std::array<ModeInfo, 6> kModeTable{{
    {1, "mi_Registr", "Регистрации", "ВХОД В РЕЖИМ РЕГИСТРАЦИЙ", "fm_Chek"},
    {2, "mi_Reports", "Отчеты", "ВХОД В РЕЖИМ ОТЧЕТОВ", "fm_Reports"},
    {3, "mi_Gash", "Гашения", "ВХОД В РЕЖИМ ГАШЕНИЙ", "fm_Gash"},
    {4, "mi_Program", "Программирование", "ВХОД В РЕЖИМ ПРОГРАММИРОВАНИЯ", "fm_Program"},
    {5, "mi_FiskPam", "ФП", "ВХОД В РЕЖИМ ДОСТУПА К ФП", "fm_FiskPam"},
    {6, "mi_EKLZ", "ЭКЛЗ", "ВХОД В РЕЖИМ ДОСТУПА К ЭКЛЗ", "fm_EKLZ"},
}};

}  // namespace

std::span<const ModeInfo> ModeTable() {
  return kModeTable;
}

const ModeInfo* FindMode(int mode) {
  for (const ModeInfo& m : kModeTable)
    if (m.mode == mode) return &m;
  return nullptr;
}

int CurrentMode(const Link& link) {
  return link.AnswerBuffer[2] & 0x0F;
}

int ExitMode(Link& link) {
  return link.Run(Exchange::Plain(link.CommandFrame(kCmdExitMode)));
}

std::vector<uint8_t> PackModePassword(std::string_view password) {
  std::vector<uint8_t> oem = Utf8ToCp866(password);
  if (oem.size() > kModePasswordDigits) oem.resize(kModePasswordDigits);
  std::string digits(kModePasswordDigits - oem.size(), '0');
  digits.append(oem.begin(), oem.end());
  return PackBcd(digits);
}

bool IsDigitPassword(std::string_view password) {
  return password.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<uint8_t> EnterModeFrame(const Link& link, int mode, std::string_view password) {
  std::vector<uint8_t> params;
  params.push_back(static_cast<uint8_t>(mode));
  std::vector<uint8_t> packed = PackModePassword(password);
  params.insert(params.end(), packed.begin(), packed.end());
  return link.CommandFrame(kCmdEnterMode, params);
}

int EnterMode(Link& link, int mode, std::string_view password) {
  return link.Run(Exchange::Plain(EnterModeFrame(link, mode, password), kEnterModeDelayMs));
}

}  // namespace ptk
