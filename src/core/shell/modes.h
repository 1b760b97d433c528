// The register's modes: asking for the current mode, leaving it, and entering a mode with
// its eight-digit mode password; the table of the program's modes 1..6.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdExitMode = 0x52;
inline constexpr uint8_t kCmdEnterMode = 0x56;
inline constexpr uint32_t kEnterModeDelayMs = 50;

// The mode the current mode-entering menu item asked for (1..6): set by the menu item
// before anything is sent, read by the password window. Lives for the whole program on
// the UI thread; 0 until the first such item.
extern int RequestedMode;

struct ModeInfo {
  int mode;                      // 1..6
  std::string_view menuItem;     // "mi_Registr"
  std::string_view menuCaption;  // "Регистрации"
  std::string_view regCommTitle;  // caption of fm_RegComm: "ВХОД В РЕЖИМ РЕГИСТРАЦИЙ"
  std::string_view window;  // "fm_Chek"
};
std::span<const ModeInfo> ModeTable();
// nullptr for a mode outside 1..6.
const ModeInfo* FindMode(int mode);

// Mode 0, "Выбор": where ExitMode returns.
inline constexpr int kModeChoice = 0;

// The question of "Выход из текущего режима" (caption "Вопрос", Yes/No).
inline constexpr std::string_view kExitModeQuestion =
    "Выйти из текущего режима и \nвернуться в состояние <<Выбор>> ?";

// The mode after a successful QueryStateCode: the low four bits of AnswerBuffer[2].
int CurrentMode(const Link& link);

// password, 0x52; answerLength 6, decodeResult 1, default time-outs, no delay.
int ExitMode(Link& link);

// The four bytes of a mode password: the text converted to the OEM code page, left-padded
// with '0' to eight characters (only the first eight are used) and packed as BCD by the
// low four bits of each character.
std::vector<uint8_t> PackModePassword(std::string_view password);
// Whether the password window may send the text: digits only. Any other character would be
// packed by its low four bits into a password the operator did not mean.
bool IsDigitPassword(std::string_view password);
// password (2), 0x56, mode, mode password (4): eight bytes.
std::vector<uint8_t> EnterModeFrame(const Link& link, int mode, std::string_view password);
// answerLength 6, decodeResult 1, default time-outs, delay 50 ms.
int EnterMode(Link& link, int mode, std::string_view password);

}  // namespace ptk
