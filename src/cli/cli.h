// ptk-cli: a command-line front end sharing the core with the program. Verbs register
// themselves (VerbRegistrar at namespace scope in their own .cpp); ptk_cli is an object
// library, so every verb file is always linked.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"

namespace ptk::cli {

// Records the boxes a command showed (in order) and holds the result line; never blocks.
class CliUi final : public UserInterface {
 public:
  Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                 Buttons buttons) override;
  // A verb that needs a file names it on its command line: it is given here, and the
  // dialog is cancelled when none was.
  std::optional<std::string> AskFile(const FileRequest& /*request*/) override { return fileAnswer; }
  void SetResult(std::string_view text) override { result_ = std::string(text); }
  std::string Result() const override { return result_; }
  bool PumpMessages() override { return true; }

  std::optional<std::string> fileAnswer;

  // "box: <caption>: <text>" per box, in order.
  void PrintBoxes(std::ostream& out) const;
  const std::vector<std::pair<std::string, std::string>>& boxes() const { return boxes_; }

 private:
  std::vector<std::pair<std::string, std::string>> boxes_;
  std::string result_;
};

// What a verb gets: the open, configured port and the link, after the global options.
struct Context {
  Link& link;
  SerialPort& port;
  Settings& settings;
  CliUi& ui;
  std::ostream& out;
  std::ostream& err;
};

// Returns the exit status: 0 success, 1 command failed, 2 usage error (one line on err).
using VerbFn = int (*)(Context& context, const std::vector<std::string>& args);

struct Verb {
  std::string name;
  std::string usage;
  VerbFn fn;
};

struct VerbRegistrar {
  VerbRegistrar(std::string name, std::string usage, VerbFn fn);
};
const std::vector<Verb>& Verbs();

// Parses "47" or "0x47" as one byte; false when it is not a hex byte.
bool ParseHexByte(const std::string& text, uint8_t& value);

// Whether a verb's output file can be written, checked before the first command is sent
// so that a long read does not end in "cannot write": FILE is not a folder, and a file
// can be created beside it (created and removed again) and, for a file written in place
// (not put there by a rename), an existing FILE opens for writing. False with the reason
// in why.
bool CheckOutputFile(const std::string& path, bool inPlace, std::string& why);

// Runs ptk-cli with argv (without the program name); the whole program is this call.
// clock: the link's time (tests pass one whose sleeps end at once).
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           Clock& clock = SystemClock());

}  // namespace ptk::cli
