#include "core/programming/table_fields.h"

#include <algorithm>

#include "core/programming/line_format.h"

namespace ptk {

namespace {

namespace sf = settings_field;

constexpr uint32_t kFieldDelayMs = 100;
constexpr uint32_t kReadExecutionMs = 10000;
constexpr uint32_t kWriteExecutionMs = 90000;

void Step(const ProgressStepFn& step) {
  if (step) step();
}

std::array<uint8_t, 4> CompactAddress(uint8_t table, uint16_t row, uint8_t field) {
  return {table, static_cast<uint8_t>(row >> 8), static_cast<uint8_t>(row & 0xFF), field};
}

}  // namespace

Exchange ReadFieldCommand(const Link& link, uint8_t table, uint8_t row, uint8_t field) {
  const bool texts = table == kUsersTable || table == kReceiptTextTable || table == kSectionsTable;
  Exchange e;
  e.frame = ReadFieldFrame(link, table, row, field);
  e.allowShortAnswer = 1;
  e.answerLength = texts ? 80 : 15;
  e.timeouts.t6 = kReadExecutionMs;
  e.delayMs = kFieldDelayMs;
  return e;
}

Exchange WriteFieldCommand(const Link& link, uint8_t table, uint8_t row, uint8_t field,
                           std::span<const uint8_t> value) {
  const bool discounts = table == kDiscountsTable;
  Exchange e;
  e.frame = WriteFieldFrame(link, table, row, field, value);
  e.allowShortAnswer = discounts ? 1 : 0;
  e.answerLength = discounts ? 15 : kPlainAnswerLength;
  e.timeouts.t6 = kWriteExecutionMs;
  e.delayMs = kFieldDelayMs;
  return e;
}

std::vector<uint8_t> ReadFieldFrame(const Link& link, uint8_t table, uint8_t row, uint8_t field) {
  return link.CommandFrame(kCmdReadField, {table, 0x00, row, field});
}

std::vector<uint8_t> WriteFieldFrame(const Link& link, uint8_t table, uint8_t row, uint8_t field,
                                     std::span<const uint8_t> value) {
  std::vector<uint8_t> params = {table, 0x00, row, field};
  params.insert(params.end(), value.begin(), value.end());
  return link.CommandFrame(kCmdWriteField, params);
}

int ReadTableField(Link& link, UserAbort& abort, uint8_t table, uint8_t row, uint8_t field,
                   const ProgressStepFn& step) {
  const Exchange read = ReadFieldCommand(link, table, row, field);
  if (CheckUserAbort(abort, link.ui()) != 0) return kReadStopped;
  const int status = link.Run(read);
  Step(step);
  return status;
}

int WriteTableField(Link& link, uint8_t table, uint8_t row, uint8_t field,
                    std::span<const uint8_t> value) {
  return link.Run(WriteFieldCommand(link, table, row, field, value));
}

std::span<const uint8_t> ClassicAnswerData(const Link& link) {
  // STX, marker, result code, data, ETX, check byte.
  if (link.AnswerLength <= 5) return {};
  return std::span<const uint8_t>(link.AnswerBuffer.data() + 3,
                                  static_cast<size_t>(link.AnswerLength - 5));
}

int ReadFieldCompact(Link& link, uint8_t table, uint16_t row, uint8_t field,
                     CompactAnswer& answer) {
  const std::array<uint8_t, 4> params = CompactAddress(table, row, field);
  answer.length = answer.bytes.size();
  return DirectCommand(link, kCmdReadField, params, answer.bytes.data(), &answer.length);
}

int WriteFieldCompact(Link& link, uint8_t table, uint16_t row, uint8_t field,
                      std::span<const uint8_t> value) {
  const std::array<uint8_t, 4> address = CompactAddress(table, row, field);
  std::vector<uint8_t> params(address.begin(), address.end());
  params.insert(params.end(), value.begin(), value.end());
  CompactAnswer answer;
  answer.length = answer.bytes.size();
  return DirectCommand(link, kCmdWriteField, params, answer.bytes.data(), &answer.length);
}

namespace {

uint16_t ReceiptLineRow(ReceiptText part, int i) {
  const uint16_t base = part == ReceiptText::Header ? kHeaderFirstRow : kFooterFirstRow;
  return static_cast<uint16_t>(base + i);
}

bool ValidLineIndex(int i) {
  return i >= 0 && i <= 9;
}

}  // namespace

int ReadReceiptLine(Link& link, ReceiptText part, int i, std::string& text) {
  text.clear();
  if (!ValidLineIndex(i)) return direct_error::kInvalidParameter;
  CompactAnswer answer;
  const int error = ReadFieldCompact(link, kReceiptTextTable, ReceiptLineRow(part, i), 1, answer);
  if (error == direct_error::kOk) text = ReceiptLineToText(answer.Value());
  return error;
}

int WriteReceiptLine(Link& link, ReceiptText part, int i, std::string_view text,
                     bool offsetInEights) {
  if (!ValidLineIndex(i)) return direct_error::kInvalidParameter;
  std::vector<uint8_t> bytes;
  if (int error = ReceiptLineToBytes(text, offsetInEights, bytes); error != direct_error::kOk)
    return error;
  if (bytes.size() > kCompactValueRoom) return direct_error::kBufferTooSmall;
  if (bytes.empty()) bytes.push_back(0x00);
  return WriteFieldCompact(link, kReceiptTextTable, ReceiptLineRow(part, i), 1, bytes);
}

const FieldValue* TablesReadResult::Find(uint8_t table, uint16_t row, uint8_t field) const {
  for (const FieldValue& v : values)
    if (v.table == table && v.row == row && v.field == field) return &v;
  return nullptr;
}

namespace {

// One reading run: every read appends its value, the first failure ends the run.
class TablesReader {
 public:
  TablesReader(Link& link, UserAbort& abort, const ProgressStepFn& step, TablesReadResult& result)
      : link_(link), abort_(abort), step_(step), result_(result) {}

  bool Classic(uint8_t table, uint8_t row, uint8_t field) {
    const int status = ReadTableField(link_, abort_, table, row, field, step_);
    if (status != kExchangeOk) {
      result_.status = status;
      return false;
    }
    const std::span<const uint8_t> data = ClassicAnswerData(link_);
    result_.values.push_back({table, row, field, FieldRoute::Classic, {data.begin(), data.end()}});
    return true;
  }

  bool Compact(uint8_t table, uint16_t row, uint8_t field) {
    CompactAnswer answer;
    const int error = ReadFieldCompact(link_, table, row, field, answer);
    if (error != direct_error::kOk) {
      ShowDirectError(link_.ui(), error);
      result_.status = error;
      result_.compactError = true;
      return false;
    }
    const std::span<const uint8_t> value = answer.Value();
    result_.values.push_back(
        {table, row, field, FieldRoute::Compact, {value.begin(), value.end()}});
    return true;
  }

  bool SettingsFields(std::initializer_list<uint8_t> fields) {
    for (uint8_t f : fields)
      if (!Classic(kSettingsTable, 1, f)) return false;
    return true;
  }

  bool Rows(uint8_t table, int rows, uint8_t field) {
    for (int row = 1; row <= rows; ++row)
      if (!Classic(table, static_cast<uint8_t>(row), field)) return false;
    return true;
  }

  void Advance() { Step(step_); }

 private:
  Link& link_;
  UserAbort& abort_;
  const ProgressStepFn& step_;
  TablesReadResult& result_;
};

bool ReadAllInOrder(TablesReader& r, const ModelCapabilities& caps) {
  using namespace sf;
  if (!r.SettingsFields({kRegisterNumber, kPaymentType2, kPaymentType3, kPaymentType4, kTaxType,
                         kOpenDrawer, kClearReceiptCounter, kDelayClosing, kClearCashSum}))
    return false;
  r.Advance();
  if (!r.Rows(kUsersTable, kUserRows, 1) || !r.Rows(kUsersTable, kUserRows, 2)) return false;
  r.Advance();
  if (!r.Rows(kDiscountsTable, 2, 1)) return false;
  r.Advance();
  for (int i = 0; i < kHeaderLines; ++i)
    if (!r.Compact(kReceiptTextTable, static_cast<uint16_t>(kHeaderFirstRow + i), 1)) return false;
  for (int i = 0; i < kFooterLines; ++i)
    if (!r.Compact(kReceiptTextTable, static_cast<uint16_t>(kFooterFirstRow + i), 1)) return false;
  r.Advance();
  if (!r.Rows(kSectionsTable, kSectionRows, 1)) return false;
  r.Advance();
  if (!r.Rows(kTaxesTable, kTaxRows, 1)) return false;
  if (!r.SettingsFields({kPrintSectionName, kBrightness, kCutReceipt, kTotalFontHeight,
                         kPrintCashierNames, kPrintSaleTitle, kPrintCardNumber, kFont,
                         kPrintStringCommand, kPrintOnShiftOpen}))
    return false;

  if (caps.attributesTable) {
    for (int row = 1; row <= kAttributeRows; ++row)
      if (!r.Compact(kAttributesTable, static_cast<uint16_t>(row), 1)) return false;
  }
  r.Advance();
  const std::pair<uint32_t, uint8_t> optional[] = {{caps.customerDisplay, kCustomerDisplay},
                                                   {caps.paperWidth, kPaperWidth},
                                                   {caps.doubleImageHeight, kDoubleImageHeight},
                                                   {caps.headerSpacing, kHeaderSpacing}};
  for (const auto& [present, field] : optional) {
    if (present && !r.Compact(kSettingsTable, 1, field)) return false;
    r.Advance();
  }
  return true;
}

}  // namespace

TablesReadResult ReadAllTables(Link& link, UserAbort& abort, const ModelCapabilities& caps,
                               const ProgressStepFn& step) {
  abort.running = RunningOperation::TablesRead;
  abort.stopRequested = false;
  TablesReadResult result;
  result.values.reserve(160);
  TablesReader reader(link, abort, step, result);
  if (ReadAllInOrder(reader, caps)) result.status = kExchangeOk;
  return result;
}

}  // namespace ptk
