// Report printing as time passes: the register's printing submode, the lines going onto
// the tape at the printer's rate, the paper running out, and ExitMode ending a report.
#include "emulator/virtual_register.h"

namespace ptk::emu {

uint32_t VirtualRegister::ReportJob::DueOffset(size_t i) const {
  // Line i (from 0) is out when (i + 1) / n of the report's time has passed.
  return static_cast<uint32_t>(static_cast<uint64_t>(durationMs) * (i + 1) / lines.size());
}

void VirtualRegister::StartReport(std::vector<std::string> lines, uint32_t now, uint8_t submode) {
  if (lines.empty()) return;
  job_ = ReportJob{};
  job_.active = true;
  job_.start = now;
  const uint32_t forced = faults_.reportTime.Take();
  job_.durationMs = forced != 0 ? forced : static_cast<uint32_t>(lines.size()) * reportLineMs_;
  job_.lines = std::move(lines);
  state_.submode = submode;
  AdvanceReport(now);
}

void VirtualRegister::AdvanceReport(uint32_t now) {
  if (!job_.active) return;
  const uint32_t elapsed = now - job_.start;
  while (job_.next < job_.lines.size() && elapsed >= job_.DueOffset(job_.next)) {
    if (PrinterRefusal() != rc::kOk) {
      // A printer fault that came up meanwhile (cover opened, link lost) ends the report.
      job_.next = job_.lines.size();
      break;
    }
    if (faults_.paperOutAfterLines == 0) {
      // The paper is gone: the report ends where it is, the flag tells why.
      faults_.paperOutAfterLines = -1;
      faults_.printerFlags |= kPrinterNoPaper;
      job_.next = job_.lines.size();
      break;
    }
    if (faults_.paperOutAfterLines > 0) --faults_.paperOutAfterLines;
    Print(std::move(job_.lines[job_.next++]));
  }
  if (job_.next >= job_.lines.size()) {
    job_ = ReportJob{};
    state_.submode = 0;
  }
}

void VirtualRegister::StopReport() {
  if (!job_.active) return;
  job_ = ReportJob{};
  state_.submode = 0;
  Print("ПЕЧАТЬ ОТЧЕТА ПРЕРВАНА");
  Print(std::string(42, '-'));
}

std::optional<uint32_t> VirtualRegister::NextReportLineIn(uint32_t now) const {
  if (!job_.active) return std::nullopt;
  const uint32_t elapsed = now - job_.start;
  const uint32_t due = job_.DueOffset(job_.next);
  return due > elapsed ? due - elapsed : 0;
}

}  // namespace ptk::emu
