#include "emulator/faults.h"

#include <charconv>
#include <vector>

namespace ptk::emu {

uint32_t TimedFault::Take() {
  if (count == 0) return 0;
  if (count > 0) --count;
  return ms;
}

bool Faults::TakeCode(uint8_t command, uint8_t& resultCode) {
  auto it = codes.find(command);
  if (it == codes.end() || it->second.count == 0) return false;
  resultCode = it->second.resultCode;
  if (it->second.count > 0 && --it->second.count == 0) codes.erase(it);
  return true;
}

namespace {

bool ParseUnsigned(std::string_view text, int base, uint32_t& value) {
  if (text.empty()) return false;
  if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseCount(std::string_view text, int& count) {
  uint32_t v = 0;
  if (!ParseUnsigned(text, 10, v) || v > 1000000) return false;
  count = static_cast<int>(v);
  return true;
}

// "MS" or "MS/N".
bool ParseTimed(std::string_view text, TimedFault& fault) {
  int count = kEveryTime;
  auto slash = text.find('/');
  if (slash != std::string_view::npos) {
    if (!ParseCount(text.substr(slash + 1), count)) return false;
    text = text.substr(0, slash);
  }
  uint32_t ms = 0;
  if (!ParseUnsigned(text, 10, ms) || ms > 600000) return false;
  fault.ms = ms;
  fault.count = ms == 0 ? 0 : count;
  return true;
}

// "CC:RR" or "CC:RR/N".
bool ParseCode(std::string_view text, Faults& faults) {
  int count = kEveryTime;
  auto slash = text.find('/');
  if (slash != std::string_view::npos) {
    if (!ParseCount(text.substr(slash + 1), count)) return false;
    text = text.substr(0, slash);
  }
  auto colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  uint32_t command = 0, code = 0;
  if (!ParseUnsigned(text.substr(0, colon), 16, command) || command > 0xFF) return false;
  if (!ParseUnsigned(text.substr(colon + 1), 16, code) || code > 0xFF) return false;
  if (count == 0) {
    faults.codes.erase(static_cast<uint8_t>(command));
  } else {
    faults.codes[static_cast<uint8_t>(command)] = CodeFault{static_cast<uint8_t>(code), count};
  }
  return true;
}

std::vector<std::string_view> SplitItems(std::string_view spec) {
  std::vector<std::string_view> items;
  size_t i = 0;
  while (i < spec.size()) {
    while (i < spec.size() && (spec[i] == ',' || spec[i] == ' ' || spec[i] == ';')) ++i;
    size_t start = i;
    while (i < spec.size() && spec[i] != ',' && spec[i] != ' ' && spec[i] != ';') ++i;
    if (i > start) items.push_back(spec.substr(start, i - start));
  }
  return items;
}

bool ApplyItem(std::string_view item, Faults& f) {
  auto eq = item.find('=');
  std::string_view name = item.substr(0, eq);
  std::string_view value = eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
  bool hasValue = eq != std::string_view::npos;
  struct Flag {
    std::string_view name;
    uint8_t bit;
  };
  static constexpr Flag kFlags[] = {{"nopaper", kPrinterNoPaper},
                                    {"nolink", kPrinterNoLink},
                                    {"coveropen", kPrinterCoverOpen},
                                    {"noroll", kPrinterNoRoll}};
  for (const Flag& flag : kFlags) {
    if (name != flag.name) continue;
    if (!hasValue || value == "1" || value == "on") {
      f.printerFlags |= flag.bit;
    } else if (value == "0" || value == "off") {
      f.printerFlags &= static_cast<uint8_t>(~flag.bit);
    } else {
      return false;
    }
    return true;
  }
  if (name == "clear" && !hasValue) {
    f.Clear();
    return true;
  }
  if (!hasValue) return false;
  struct Counter {
    std::string_view name;
    int Faults::*field;
  };
  static constexpr Counter kCounters[] = {{"nak", &Faults::nakFrames},
                                          {"badcheck", &Faults::badCheck},
                                          {"silent", &Faults::silentEnq},
                                          {"noanswer", &Faults::noAnswer}};
  for (const Counter& counter : kCounters) {
    if (name == counter.name) return ParseCount(value, f.*counter.field);
  }
  if (name == "delay") return ParseTimed(value, f.delay);
  if (name == "pause") return ParseTimed(value, f.pause);
  if (name == "reporttime") return ParseTimed(value, f.reportTime);
  if (name == "paperout") return ParseCount(value, f.paperOutAfterLines);
  if (name == "code") return ParseCode(value, f);
  return false;
}

}  // namespace

bool ApplyFaultSpec(std::string_view spec, Faults& faults, std::string* error) {
  Faults result = faults;
  for (std::string_view item : SplitItems(spec)) {
    if (!ApplyItem(item, result)) {
      if (error) *error = "bad fault item: " + std::string(item);
      return false;
    }
  }
  faults = result;
  return true;
}

std::string_view FaultSyntaxHelp() {
  return "  SPEC: items separated by ',' (or blanks):\n"
         "    nak=N           NAK the next N frames from the PC\n"
         "    badcheck=N      send the next N answer frames with a wrong check byte\n"
         "    silent=N        stay silent for the next N ENQs\n"
         "    noanswer=N      execute the next N commands without opening the answer\n"
         "    delay=MS[/N]    open the answer transfer MS ms late (next N answers;\n"
         "                    without /N every answer)\n"
         "    pause=MS[/N]    pause MS ms in the middle of the answer frame\n"
         "    code=CC:RR[/N]  answer command CC with result code RR (hex; /0 removes)\n"
         "    nopaper nolink coveropen noroll   printer flags (name=0 switches off)\n"
         "    reporttime=MS[/N]  the next N reports (without /N all) print for MS ms\n"
         "    paperout=N      the paper runs out after N more report lines\n"
         "    clear           all faults off\n"
         "  Example: --faults nak=2,delay=300/1,code=56:8C/1,nopaper\n";
}

}  // namespace ptk::emu
