// ptk-cli firmware read ptk|fp [FILE]: reads the firmware of the control block (ptk) or of
// the fiscal-memory block (fp) into FILE (default "PO_KKM.bin" or "PO_FP.bin" in the
// working folder), in programming mode entered with the system administrator's password
// as the program's comparison action does; a previous file stays as it was unless the
// read completes.
// ptk-cli firmware compare ptk|fp FILE: reads it likewise into the default file and
// compares it with the reference FILE byte for byte; exit status 0 only when they match.
// Both show the transfer on standard error, one progress line rewritten after each block.
#include <algorithm>

#include "cli/cli.h"
#include "core/programming/firmware.h"
#include "core/shell/modes.h"

namespace ptk::cli {
namespace {

bool ParseSource(const std::string& text, FirmwareSource& source) {
  if (text == "ptk") {
    source = FirmwareSource::Ptk;
    return true;
  }
  if (text == "fp") {
    source = FirmwareSource::Fp;
    return true;
  }
  return false;
}

// "firmware: 2500 / 65536 bytes" on standard error, rewritten in place.
FirmwareProgress ProgressLine(Context& c, uint32_t& size) {
  FirmwareProgress p;
  p.started = [&c, &size](uint32_t s) {
    size = s;
    c.err << "firmware: 0 / " << s << " bytes" << std::flush;
  };
  p.advanced = [&c, &size](uint64_t gauge) {
    c.err << "\rfirmware: " << std::min<uint64_t>(gauge, size) << " / " << size << " bytes"
          << std::flush;
  };
  return p;
}

int Usage(Context& c) {
  c.err << "ptk-cli firmware: expected read ptk|fp [FILE] or compare ptk|fp FILE\n";
  return 2;
}

int FirmwareVerb(Context& c, const std::vector<std::string>& args) {
  FirmwareSource source;
  if (args.size() < 2 || !ParseSource(args[1], source)) return Usage(c);
  const bool read = args[0] == "read";
  if (!(read && args.size() <= 3) && !(args[0] == "compare" && args.size() == 3)) return Usage(c);
  const std::string defaultFile(FirmwareFileName(source));
  // Both write a file, the comparison into the default one: known to be possible before
  // minutes of reading.
  const std::string output = read && args.size() == 3 ? args[2] : defaultFile;
  std::string why;
  if (!CheckOutputFile(output, false, why)) {
    c.err << "ptk-cli firmware: cannot write " << output << ": " << why << "\n";
    return 2;
  }

  UserAbort abort;
  if (EnterFirmwareProgramming(c.link, abort) != kExchangeOk) {
    c.ui.PrintBoxes(c.out);
    return 1;
  }
  uint32_t size = 0;
  const FirmwareProgress progress = ProgressLine(c, size);
  bool ok = false;
  if (read) {
    const std::string& file = output;
    const FirmwareRead r = ReadFirmware(c.link, abort, source, file, progress);
    if (r.size > 0 || r.status == kFirmwareComplete) c.err << "\n";
    ok = r.status == kFirmwareComplete;
    if (ok && file == defaultFile) ShowInfo(c.ui, FirmwareReadText(source));
    if (ok) c.out << "read: " << r.written << " bytes into " << file << "\n";
  } else {
    const FirmwareVerdict v =
        CompareFirmware(c.link, abort, source, args[2], defaultFile, progress);
    if (size > 0) c.err << "\n";
    ok = v == FirmwareVerdict::Same;
  }
  ExitMode(c.link);
  c.ui.PrintBoxes(c.out);
  return ok ? 0 : 1;
}

const VerbRegistrar kFirmware("firmware",
                              "firmware read ptk|fp [FILE] | firmware compare ptk|fp FILE",
                              FirmwareVerb);

}  // namespace
}  // namespace ptk::cli
