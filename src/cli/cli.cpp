// ptk-cli: global options, the port, and the verbs.
#include "cli/cli.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>

#include "core/link/port_names.h"
#include "core/link/serial_device.h"
#include "core/link/trace_device.h"
#include "emulator/emulator_host.h"

namespace ptk::cli {

Answer CliUi::ShowBox(std::string_view caption, std::string_view text, Icon /*icon*/,
                      Buttons buttons) {
  boxes_.emplace_back(std::string(caption), std::string(text));
  // Nobody is there to answer: a script has asked for the command, so questions go ahead.
  switch (buttons) {
    case Buttons::YesNo:
      return Answer::Yes;
    case Buttons::OkCancel:
    case Buttons::Ok:
      break;
  }
  return Answer::Ok;
}

void CliUi::PrintBoxes(std::ostream& out) const {
  for (const auto& [caption, text] : boxes_) out << "box: " << caption << ": " << text << "\n";
}

namespace {

std::vector<Verb>& Registry() {
  static std::vector<Verb> verbs;
  return verbs;
}

struct GlobalOptions {
  std::optional<std::string> port;
  std::optional<int> baudIndex;
  std::optional<std::string> password;
  std::optional<std::string> trace;
  bool emulator = false;
};

void PrintUsage(std::ostream& out) {
  out << "usage: ptk-cli [--port NAME] [--baud 9600|19200|38400|57600|115200] "
         "[--password DDDD] [--trace FILE] [--emulator] VERB [ARGS ...]\n";
  for (const Verb& v : Verbs()) out << "  " << v.usage << "\n";
}

// The one line of a usage error, pointing at the full usage.
void UsageLine(std::ostream& err, const std::string& why) {
  err << "ptk-cli: " << why << " (ptk-cli --help shows the usage)\n";
}

bool IsFourDigits(const std::string& s) {
  if (s.size() != 4) return false;
  for (char ch : s) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
  }
  return true;
}

std::optional<int> BaudIndexFor(const std::string& rate) {
  for (int i = 0; i < 5; ++i) {
    if (rate == std::to_string(kBaudRates[i])) return i;
  }
  return std::nullopt;
}

// Parses the global options in front of the verb; returns the index of the verb, or
// nullopt after one line on err.
std::optional<size_t> ParseGlobalOptions(const std::vector<std::string>& args,
                                         GlobalOptions& options, std::ostream& err) {
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) return i;
    if (a == "--emulator") {
      options.emulator = true;
      continue;
    }
    if (a != "--port" && a != "--baud" && a != "--password" && a != "--trace") {
      UsageLine(err, "unknown option " + a);
      return std::nullopt;
    }
    // The next option is never taken for a value: "--trace --emulator" lacks the file.
    if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
      UsageLine(err, a + " needs a value");
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (a == "--port") {
      if (!ComNumber(value) && !IsDevicePath(value)) {
        UsageLine(err, "--port takes COMn or an absolute device path, not " + value);
        return std::nullopt;
      }
      options.port = value;
    } else if (a == "--baud") {
      options.baudIndex = BaudIndexFor(value);
      if (!options.baudIndex) {
        UsageLine(err, "--baud takes 9600, 19200, 38400, 57600 or 115200, not " + value);
        return std::nullopt;
      }
    } else if (a == "--password") {
      if (!IsFourDigits(value)) {
        UsageLine(err, "--password takes four decimal digits, not " + value);
        return std::nullopt;
      }
      options.password = value;
    } else {
      options.trace = value;
    }
  }
  UsageLine(err, "no verb given");
  return std::nullopt;
}

}  // namespace

VerbRegistrar::VerbRegistrar(std::string name, std::string usage, VerbFn fn) {
  Registry().push_back({std::move(name), std::move(usage), fn});
}

const std::vector<Verb>& Verbs() {
  return Registry();
}

bool ParseHexByte(const std::string& text, uint8_t& value) {
  std::string_view digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits.size() > 2) return false;
  unsigned v = 0;
  for (char ch : digits) {
    const auto c = static_cast<unsigned char>(ch);
    if (!std::isxdigit(c)) return false;
    v = v * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  value = static_cast<uint8_t>(v);
  return true;
}

bool CheckOutputFile(const std::string& path, bool inPlace, std::string& why) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code ec;
  if (path.empty() || fs::is_directory(target, ec)) {
    why = "it is a folder";
    return false;
  }
  // An existing file is kept as it is: only opened for appending, nothing written.
  if (inPlace && fs::exists(target, ec)) {
    errno = 0;
    std::ofstream existing(target, std::ios::binary | std::ios::app);
    if (!existing) {
      why = errno != 0 ? std::generic_category().message(errno) : "it cannot be opened";
      return false;
    }
  }
  // The probe is a name beside the target that nobody uses.
  fs::path probe;
  for (int n = 0; n < 100; ++n) {
    probe = target;
    probe += ".probe" + std::to_string(n);
    if (!fs::exists(probe, ec)) break;
  }
  errno = 0;
  std::ofstream file(probe, std::ios::binary);
  const int error = errno;
  const bool created = static_cast<bool>(file);
  file.close();
  if (created) fs::remove(probe, ec);
  if (!created) {
    why = error != 0 ? std::generic_category().message(error) : "a file cannot be created there";
    return false;
  }
  return true;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           Clock& clock) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    PrintUsage(out);
    return 0;
  }
  GlobalOptions options;
  const std::optional<size_t> verbAt = ParseGlobalOptions(args, options, err);
  if (!verbAt) return 2;
  const std::string& verbName = args[*verbAt];
  const Verb* verb = nullptr;
  for (const Verb& v : Verbs()) {
    if (v.name == verbName) verb = &v;
  }
  if (!verb) {
    UsageLine(err, "unknown verb " + verbName);
    return 2;
  }
  if (options.emulator && options.port) {
    UsageLine(err, "--emulator and --port exclude each other");
    return 2;
  }
  const std::vector<std::string> verbArgs(args.begin() + static_cast<long>(*verbAt) + 1,
                                          args.end());

  // Settings not given on the command line come from the settings files, as in the
  // program; a box from reading them goes to err, apart from the command's own output.
  Settings settings;
  CliUi settingsUi;
  if (!options.port && !options.emulator) LoadSetting(settings, 1, settingsUi);
  if (!options.baudIndex) LoadSetting(settings, 2, settingsUi);
  if (!options.password) LoadSetting(settings, 3, settingsUi);
  settingsUi.PrintBoxes(err);
  if (options.port) settings.portName = *options.port;
  if (options.baudIndex) settings.BaudIndex = *options.baudIndex;
  if (options.password) settings.AccessPassword = *options.password;

  std::unique_ptr<PortDevice> device = CreateSystemPortDevice();
  TracingPortDevice* tracing = nullptr;
  if (options.trace) {
    std::unique_ptr<TracingPortDevice> traced =
        TracingPortDevice::ToFile(std::move(device), clock, *options.trace);
    if (!traced) {
      err << "ptk-cli: cannot write the trace file " << *options.trace << "\n";
      return 2;
    }
    tracing = traced.get();
    device = std::move(traced);
  }

  std::unique_ptr<emu::EmulatorHost> emulator;
  if (options.emulator) {
    emu::EmulatorOptions emulatorOptions;
    // The line trace shows where the program began a transfer inside the register's work.
    if (tracing)
      emulatorOptions.onLineViolation = [tracing] { tracing->Remark(kLineViolationNote); };
    emulator = std::make_unique<emu::EmulatorHost>(std::move(emulatorOptions));
    if (!emulator->Start()) {
      err << "ptk-cli: the virtual register did not start\n";
      return 1;
    }
    settings.portName = emulator->SlavePath();
  }

  CliUi ui;
  SerialPort port(*device, clock, ui);
  if (!port.OpenPort(settings.portName)) {
    out << "box: " << kCaptionError << ": Порт недоступен!\n";
    return 1;
  }
  if (!port.ConfigurePort(settings.BaudIndex)) {
    out << "box: " << kCaptionError << ": Нет связи!\n";
    port.ClosePort();
    return 1;
  }
  Link link(port, ui, settings);
  Context context{link, port, settings, ui, out, err};
  const int status = verb->fn(context, verbArgs);
  port.ClosePort();
  return status;
}

}  // namespace ptk::cli
