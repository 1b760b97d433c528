#include "core/shell/service_commands.h"

#include <array>

namespace ptk {

namespace {

constexpr uint8_t kDemoParams[3] = {0x00, 0x00, 0x00};
// The beep is only delivered: T1..T5 of the delivery.
constexpr Timeouts kBeepTimeouts{500, 500, 2000, 500, 500, 10000, 500};

using Id = ServiceCommandId;
const std::array<ServiceCommand, 8> kCommands{{
    {Id::Beep, "mi_Gudok", "Гудок", 0x47, {}, false, 0, "", false},
    {Id::OpenDrawer, "mi_OpenManeyBox", "Открыть денежный ящик", 0x80, {}, true, 100, "", false},
    {Id::DemoPrint, "mi_DemoPrn", "Демонстрационная печать", 0x82, kDemoParams, true, 0, "", false},
    {Id::TechReset, "mi_TehnolNull", "Технологическое обнуление ", 0x6B, {}, true, 200, "", true},
    {Id::InitTables, "mi_InitTable", "Инициализация таблиц", 0x71, {}, true, 200, "", false},
    {Id::CancelReceipt,
     "mi_IgnoreChek",
     "Отменить чек",
     0x59,
     {},
     true,
     100,
     "Отменить текущий чек?",
     false},
    {Id::PrintHeader, "mi_PrnTitleChek", "Печать заголовка чека", 0x6C, {}, true, 0, "", false},
    {Id::PrintEnding, "mi_PrnEndChek", "Печать окончания чека", 0x73, {}, true, 0, "", true},
}};

}  // namespace

std::span<const ServiceCommand> ServiceCommands() {
  return kCommands;
}

const ServiceCommand& FindServiceCommand(ServiceCommandId id) {
  for (const ServiceCommand& c : kCommands)
    if (c.id == id) return c;
  return kCommands.front();  // unreachable: every id has its row
}

std::vector<uint8_t> ServiceCommandFrame(const Link& link, ServiceCommandId id) {
  const ServiceCommand& c = FindServiceCommand(id);
  return link.CommandFrame(c.code, c.params);
}

bool ConfirmServiceCommand(UserInterface& ui, ServiceCommandId id) {
  const ServiceCommand& c = FindServiceCommand(id);
  if (c.confirmation.empty()) return true;
  return AskYesNo(ui, c.confirmation);
}

Exchange ServiceCommandExchange(const Link& link, ServiceCommandId id) {
  const ServiceCommand& c = FindServiceCommand(id);
  std::vector<uint8_t> frame = link.CommandFrame(c.code, c.params);
  if (!c.withAnswer) return Exchange::Delivery(std::move(frame), kBeepTimeouts);
  return Exchange::Plain(std::move(frame), c.delayMs);
}

int RunServiceCommand(Link& link, ServiceCommandId id) {
  return link.Run(ServiceCommandExchange(link, id));
}

std::vector<uint8_t> CutReceiptFrame(const Link& link, uint8_t kind) {
  return link.CommandFrame(kCmdCutReceipt, {kind});
}

std::vector<uint8_t> SoundSignalFrame(const Link& link, uint32_t duration, uint32_t count) {
  return link.CommandFrame(
      kCmdSoundSignal, {static_cast<uint8_t>((duration >> 8) & 0xFF),
                        static_cast<uint8_t>(duration & 0xFF), static_cast<uint8_t>(count & 0xFF)});
}

int CutReceipt(Link& link, uint8_t kind) {
  return link.Run(Exchange::Plain(CutReceiptFrame(link, kind), kCutBeepDelayMs));
}

int SoundSignal(Link& link, uint32_t duration, uint32_t count) {
  return link.Run(Exchange::Plain(SoundSignalFrame(link, duration, count), kCutBeepDelayMs));
}

}  // namespace ptk
