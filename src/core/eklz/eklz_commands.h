// The commands of the ЭКЛЗ window fm_EKLZ: activation (0xA6), closing the archive (0xA7),
// the activation totals (0xA8), and the three printed queries: a shift's totals (0xA9),
// a shift's control tape (0xAA) and one document by its КПК number (0xAB). The reports by
// dates and by shifts are those of report_commands.h and report_wait.h, of the ЭКЛЗ kind.
//
// The window's handlers, in the order they run:
//   bt_Aktiv, bt_ItogAktiv, bt_CloseArhiv: EklzOperationClick(link, op, busy);
//   bt_OtchOk: ShiftRangeEntered (shift page), then RunReportByDates/RunReportByShifts
//              with ReportKind::Eklz inside the busy view;
//   bt_ZaprosOk: EklzQueryEntered, then RunEklzQuery inside the busy view;
//   bt_EKLZClose and closing the window: ExitEklzMode.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/reports/report_commands.h"
#include "core/reports/report_wait.h"
#include "core/shell/user_abort.h"

namespace ptk {

inline constexpr uint8_t kCmdEklzActivate = 0xA6;
inline constexpr uint8_t kCmdEklzCloseArchive = 0xA7;
inline constexpr uint8_t kCmdEklzActivationTotals = 0xA8;
inline constexpr uint8_t kCmdEklzShiftTotals = 0xA9;
inline constexpr uint8_t kCmdEklzShiftTape = 0xAA;
inline constexpr uint8_t kCmdEklzDocument = 0xAB;

// Digits of a КПК number as the query sends it (4 BCD bytes).
inline constexpr size_t kKpkDigits = 8;

// The questions of the three confirmed commands (caption "Вопрос", Yes/No).
inline constexpr std::string_view kAskEklzActivate = "Провести активизацию ЭКЛЗ ?";
inline constexpr std::string_view kAskEklzActivationTotals = "Печатать итоги активизации ЭКЛЗ ?";
inline constexpr std::string_view kAskEklzCloseArchive = "Закрыть архив ЭКЛЗ ?";
// Empty query input (caption "Ошибка"); an empty shift range takes kTextEnterShiftRange.
inline constexpr std::string_view kTextEnterShiftNumber = "Введите номер смены.";
inline constexpr std::string_view kTextEnterKpk = "Введите номер КПК.";

// The three buttons of the panel pn_EKLZ1.
enum class EklzOperation { Activate, ActivationTotals, CloseArchive };

std::string_view EklzQuestion(EklzOperation operation);
// password, 0xA6 / 0xA8 / 0xA7; answerLength 6, T6 20 s (activation, closing) or 120 s
// (the totals), delay 200 ms.
Exchange EklzOperationCommand(const Link& link, EklzOperation operation);
int RunEklzOperation(Link& link, EklzOperation operation);

// A click on one of the three buttons: the question; on Yes ed_rezult is cleared,
// busy(true) shows the busy view with the window disabled, the command goes, busy(false)
// restores the window. -1 when the answer was No (nothing sent), else the exchange's
// result (1 on success; failures have been shown).
inline constexpr int kEklzDeclined = -1;
int EklzOperationClick(Link& link, EklzOperation operation,
                       const std::function<void(bool busy)>& busy = {});

// The pages of pg_Zapros: "Итоги смены", "Контрольная лента", "Документ".
enum class EklzQuery { ShiftTotals, ShiftTape, Document };

// password, 0xA9 / 0xAA with the shift number left-padded to 4 digits (2 BCD bytes), or
// 0xAB with the КПК number left-padded to 8 digits (4 BCD bytes); answerLength 6, T6 120 s,
// delay 200 ms. nullopt for an empty text, a non-digit or too many digits.
std::optional<Exchange> EklzQueryCommand(const Link& link, EklzQuery query,
                                         std::string_view digits);
// 1 on success; 0 with kTextBadFormat shown when the text is no number of the query.
int SendEklzQuery(Link& link, EklzQuery query, std::string_view digits);

// bt_ZaprosOk before anything is sent: kTextEnterShiftNumber or kTextEnterKpk when the
// page's trimmed text is empty; true when the query may go.
bool EklzQueryEntered(UserInterface& ui, EklzQuery query, std::string_view text);

// The query (the text trimmed) and, when it was accepted, the report wait of the ЭКЛЗ
// kind. Clears abort.stopRequested first; the caller shows its busy view around the call
// and clears stopRequested again after it.
ReportEnd RunEklzQuery(Link& link, UserAbort& abort, EklzQuery query, std::string_view text,
                       const std::function<void()>& disableStop = {});

// Leaving the ЭКЛЗ mode: ExitMode and, when it succeeded, ExitMode once more. Returns the
// result of the last one sent.
int ExitEklzMode(Link& link);

}  // namespace ptk
