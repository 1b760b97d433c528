// The one-shot commands of the main menu's "Конфигуратор": one command each, the result
// shown only by the exchange. Also the cut and beep commands of their small windows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/shell/user_interface.h"

namespace ptk {

enum class ServiceCommandId {
  Beep,           // mi_Gudok
  OpenDrawer,     // mi_OpenManeyBox
  DemoPrint,      // mi_DemoPrn
  TechReset,      // mi_TehnolNull (hidden item)
  InitTables,     // mi_InitTable
  CancelReceipt,  // mi_IgnoreChek
  PrintHeader,    // mi_PrnTitleChek
  PrintEnding,    // mi_PrnEndChek (hidden item)
};

struct ServiceCommand {
  ServiceCommandId id;
  std::string_view menuItem;  // "mi_Gudok"
  std::string_view caption;   // "Гудок"
  uint8_t code;
  std::span<const uint8_t> params;
  bool withAnswer;  // false: ExchangeNoAnswer
  uint32_t delayMs;
  std::string_view confirmation;  // asked with "Вопрос", Yes/No; empty: none
  bool hidden;                    // the menu item is hidden
};

std::span<const ServiceCommand> ServiceCommands();
const ServiceCommand& FindServiceCommand(ServiceCommandId id);

// The command's frame: password, code, parameters.
std::vector<uint8_t> ServiceCommandFrame(const Link& link, ServiceCommandId id);

// Asks the row's confirmation, if it has one; true when there is none or on Yes.
bool ConfirmServiceCommand(UserInterface& ui, ServiceCommandId id);

// Sends the row's command with its exchange: ExchangeNoAnswer with T1..T5 = 500, 500,
// 2000, 500, 500 for the beep, else ExchangeWithAnswer (answerLength 6, allowShortAnswer
// 0, decodeResult 1, default time-outs, the row's delay). Asks nothing; the result is
// the exchange's.
// The exchange of a one-shot command: a plain answer, or the beep delivered without one.
Exchange ServiceCommandExchange(const Link& link, ServiceCommandId id);
int RunServiceCommand(Link& link, ServiceCommandId id);

// Cut and beep windows (answerLength 6, decodeResult 1, default time-outs, delay 50 ms).
inline constexpr uint8_t kCmdCutReceipt = 0x75;
inline constexpr uint8_t kCmdSoundSignal = 0x88;
inline constexpr uint32_t kCutBeepDelayMs = 50;
// password, 0x75, kind: four bytes (the window always sends kind 0).
std::vector<uint8_t> CutReceiptFrame(const Link& link, uint8_t kind);
// password, 0x88, duration high byte, duration low byte, low eight bits of count.
std::vector<uint8_t> SoundSignalFrame(const Link& link, uint32_t duration, uint32_t count);
int CutReceipt(Link& link, uint8_t kind);
int SoundSignal(Link& link, uint32_t duration, uint32_t count);

}  // namespace ptk
