// Reading and writing one field of the register's tables: the classic route ('F' and 'P'
// through the frame exchange, failures shown by the exchange) and the compact route (the
// same codes through DirectCommand, failures returned as error codes); the receipt
// header and footer lines; and the reading of every table the tables window shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/programming/field_catalogue.h"
#include "core/shell/user_abort.h"

namespace ptk {

inline constexpr uint8_t kCmdReadField = 0x46;   // 'F'
inline constexpr uint8_t kCmdWriteField = 0x50;  // 'P'

// A classic read that the person stopped before anything was sent.
inline constexpr int kReadStopped = -1;

// "One step done" for the progress window.
using ProgressStepFn = std::function<void()>;

// Exchange arguments of the classic route.
// Reads: answer length 80 for tables 3, 6 and 7 and 15 for the others, short answers
// allowed, T6 10 s, delay 100 ms. Writes: table 4 answer length 15 with short answers,
// the others 6 exactly; T6 90 s; delay 100 ms.
Exchange ReadFieldCommand(const Link& link, uint8_t table, uint8_t row, uint8_t field);
Exchange WriteFieldCommand(const Link& link, uint8_t table, uint8_t row, uint8_t field,
                           std::span<const uint8_t> value);

// password, 'F', table, 0x00, row, field (7 bytes); for 'P' the value follows.
std::vector<uint8_t> ReadFieldFrame(const Link& link, uint8_t table, uint8_t row, uint8_t field);
std::vector<uint8_t> WriteFieldFrame(const Link& link, uint8_t table, uint8_t row, uint8_t field,
                                     std::span<const uint8_t> value);

// Classic read: the stop test first (a stop returns kReadStopped and sends nothing), then
// the exchange; `step` is called once afterwards whatever the outcome. Returns the
// exchange's status (1 on success); the value is ClassicAnswerData(link).
int ReadTableField(Link& link, UserAbort& abort, uint8_t table, uint8_t row, uint8_t field,
                   const ProgressStepFn& step = {});
// Classic write of the value bytes as given (see the encodings of the catalogue).
int WriteTableField(Link& link, uint8_t table, uint8_t row, uint8_t field,
                    std::span<const uint8_t> value);
// The answer data of the last classic exchange: the bytes after marker and result code.
std::span<const uint8_t> ClassicAnswerData(const Link& link);

// The compact route's answer: marker, result code, the value from byte 2.
struct CompactAnswer {
  std::array<uint8_t, kDirectAreaSize> bytes{};
  size_t length = 0;
  std::span<const uint8_t> Value() const {
    return length > 2 ? std::span<const uint8_t>(bytes.data() + 2, length - 2)
                      : std::span<const uint8_t>{};
  }
};

// Error code of DirectCommand (0 on success); shown by the caller with ShowDirectError.
int ReadFieldCompact(Link& link, uint8_t table, uint16_t row, uint8_t field, CompactAnswer& answer);
int WriteFieldCompact(Link& link, uint8_t table, uint16_t row, uint8_t field,
                      std::span<const uint8_t> value);

// The most value bytes one compact write carries.
inline constexpr size_t kCompactValueRoom = kDirectAreaSize - 3 - 4;

// Header (base row 1) and footer (base row 11) lines, i = 0..9; i outside that range is
// refused with 160 before anything is sent. offsetInEights: the model stores picture
// offsets in units of 8 dots. Writing: 160 for a text the line format refuses, 257 for
// bytes beyond the room of one command; an empty line goes as one zero byte.
enum class ReceiptText { Header, Footer };
int ReadReceiptLine(Link& link, ReceiptText part, int i, std::string& text);
int WriteReceiptLine(Link& link, ReceiptText part, int i, std::string_view text,
                     bool offsetInEights);

// One field read by ReadAllTables: its address, its route and the value bytes.
struct FieldValue {
  uint8_t table = 0;
  uint16_t row = 0;
  uint8_t field = 0;
  FieldRoute route = FieldRoute::Classic;
  std::vector<uint8_t> value;
};

struct TablesReadResult {
  // 1 on success; the classic status (or kReadStopped) of the read that failed; or the
  // compact error code when compactError is set (already shown with ShowDirectError).
  int status = 1;
  bool compactError = false;
  std::vector<FieldValue> values;  // in reading order, up to the failure
  const FieldValue* Find(uint8_t table, uint16_t row, uint8_t field) const;
};

// The progress window's total for the reading of all tables.
inline constexpr int kReadAllTablesSteps = 136;

// Every field of the tables window, in its order: table 2 row 1 fields 1, 3, 4, 5, 11,
// 20, 28, 46, 22; step; table 3 field 1 of rows 1..30; field 2 of rows 1..30; step;
// table 4 rows 1 and 2; step; table 6 header rows 1..4 and footer rows 11..20 (compact);
// step; table 7 rows 1..16; step; table 8 rows 1..16; table 2 fields 15, 19, 24, 25, 26,
// 29, 47, 34, 51, 43; then by the model: table 15 rows 1..100 (compact), field 38, field
// 37, field 6, field 7 (compact), each of these five followed by a step whether the model
// has it or not. Every classic read steps once. Stops at the first failure. Sets the
// running operation to the tables reading and clears the stop flag first.
TablesReadResult ReadAllTables(Link& link, UserAbort& abort, const ModelCapabilities& caps,
                               const ProgressStepFn& step = {});

}  // namespace ptk
