// ptk-cli run in this process with its standard output and error captured.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/link/clock.h"

namespace ptk::test {

struct CliOutput {
  int status = -1;
  std::string out;
  std::string err;
};

inline CliOutput RunCliCaptured(const std::vector<std::string>& args,
                                Clock& clock = SystemClock()) {
  std::ostringstream out, err;
  CliOutput o;
  o.status = cli::RunCli(args, out, err, clock);
  o.out = out.str();
  o.err = err.str();
  return o;
}

// The global options for port at baud with an access password, then the verb's words.
inline std::vector<std::string> CliArgs(const std::string& port, const std::string& baud,
                                        const std::vector<std::string>& verb,
                                        const std::string& password = "7391") {
  std::vector<std::string> a = {"--port", port, "--baud", baud, "--password", password};
  a.insert(a.end(), verb.begin(), verb.end());
  return a;
}

}  // namespace ptk::test
