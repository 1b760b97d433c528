// The register's fiscal memory: one record per Z report (its date, the shift number and
// the shift's totals) and one per fiscalisation or re-registration. Written once, never
// cleared; kept through a restart by the state file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ptk::emu {

inline constexpr int kFmReceiptTypes = 6;  // sale, sale return, sale annulment, purchase, ...
// The fiscalisation and at most four re-registrations.
inline constexpr int kMaxRegistrations = 5;
// Shift records the memory has room for.
inline constexpr size_t kFiscalMemoryCapacity = 2000;

// A date as yyyymmdd (20130703).
int PackDate(int year, int month, int day);
int DateYear(int date);
int DateMonth(int date);
int DateDay(int date);
std::string FmDateText(int date);  // "03.07.13"

// Tape lines of the sums by receipt type, one a type with a sum, each name after indent;
// "НЕТ ОБОРОТОВ" when there is none.
void TotalsLines(const std::array<int64_t, kFmReceiptTypes>& totals, const std::string& indent,
                 std::vector<std::string>& out);

struct ShiftRecord {
  int shift = 0;  // 1..9999
  int date = 0;   // yyyymmdd of the Z report
  // The closed receipts' sums by receipt type (index type − 1), kopecks.
  std::array<int64_t, kFmReceiptTypes> totals{};
  // Money in less money out: sales less their returns and annulments, less purchases,
  // plus the purchases' returns and annulments.
  int64_t Takings() const;
  bool operator==(const ShiftRecord&) const = default;
};

struct RegistrationRecord {
  int date = 0;
  std::string regNumber;  // 10 digits
  std::string inn;        // 12 digits
  int afterShift = 0;     // the last shift closed before it
  bool operator==(const RegistrationRecord&) const = default;
};

struct FiscalMemory {
  std::vector<ShiftRecord> shifts;  // in shift order
  std::vector<RegistrationRecord> registrations;

  bool Full() const { return shifts.size() >= kFiscalMemoryCapacity; }
  // The records of shifts closed within [firstDate, lastDate] or numbered [first, last].
  std::vector<ShiftRecord> ByDates(int firstDate, int lastDate) const;
  std::vector<ShiftRecord> ByShifts(int first, int last) const;
  bool operator==(const FiscalMemory&) const = default;
};

// The lines a fiscal-memory report prints for these records: the heading (title, the
// period, the factory number and the last registration's requisites), then for a full
// report each shift with its totals, and the totals of the period.
std::vector<std::string> FiscalReportLines(const FiscalMemory& fm,
                                           const std::vector<ShiftRecord>& records, bool full,
                                           const std::string& period,
                                           const std::string& factoryNumber);
// The emergency report: every registration, then every shift in one line.
std::vector<std::string> EmergencyReportLines(const FiscalMemory& fm,
                                              const std::string& factoryNumber);

}  // namespace ptk::emu
