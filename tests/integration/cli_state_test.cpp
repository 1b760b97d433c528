// ptk-cli state, state-code and device-type end to end: the binary against the virtual
// register it starts itself, over a real pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CliRun {
  int status = -1;
  std::vector<std::string> lines;  // stdout, one entry per line
};

// Runs ptk-cli with `args` in a fresh empty working directory (no settings files).
CliRun RunCli(const std::string& args) {
  const char* bin = std::getenv("PTK_BIN_DIR");
  CliRun run;
  if (!bin) {
    ADD_FAILURE() << "PTK_BIN_DIR is not set";
    return run;
  }
  char dirTemplate[] = "/tmp/ptk-cli-state-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (!dir) {
    ADD_FAILURE() << "mkdtemp failed";
    return run;
  }
  const std::string command = "cd '" + std::string(dir) + "' && timeout 30 '" + bin +
                              "/src/cli/ptk-cli' " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "popen failed";
    return run;
  }
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int rc = pclose(pipe);
  run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  std::filesystem::remove_all(dir);
  return run;
}

std::vector<std::string> WithPrefix(const CliRun& run, const std::string& prefix) {
  std::vector<std::string> v;
  for (const std::string& l : run.lines)
    if (l.rfind(prefix, 0) == 0) v.push_back(l.substr(prefix.size()));
  return v;
}

struct QueryCase {
  const char* verb;
  size_t lineCount;
  const char* firstLine;  // prefix of the first "line:"
};

TEST(CliState, QueriesPrintTheStateWindowLines) {
  const QueryCase cases[] = {
      {"state", 25, "Кассир: "},
      {"state-code", 7, "Режим: "},
      {"device-type", 4, "Версия: "},
  };
  for (const QueryCase& c : cases) {
    CliRun run = RunCli(std::string("--emulator ") + c.verb);
    EXPECT_EQ(run.status, 0) << c.verb;
    std::vector<std::string> lines = WithPrefix(run, "line: ");
    ASSERT_EQ(lines.size(), c.lineCount) << c.verb;
    EXPECT_EQ(lines[0].rfind(c.firstLine, 0), 0u) << c.verb << ": " << lines[0];
    EXPECT_TRUE(WithPrefix(run, "box: ").empty()) << c.verb;
    EXPECT_EQ(WithPrefix(run, "rezult: "),
              std::vector<std::string>{" 00 - Ошибок нет. Команда выполнена."})
        << c.verb;
    EXPECT_EQ(WithPrefix(run, "result: "), std::vector<std::string>{"1"}) << c.verb;
    // The lines come before the result lines.
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[run.lines.size() - 2].rfind("rezult: ", 0), 0u);
    EXPECT_EQ(run.lines.back(), "result: 1");
  }
}

TEST(CliState, FreshRegisterIsInTheChoiceMode) {
  CliRun run = RunCli("--emulator state-code");
  std::vector<std::string> lines = WithPrefix(run, "line: ");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Режим: выбор");
  EXPECT_EQ(lines[1], "Подрежим: выбор");
  EXPECT_EQ(lines[2], std::string(42, '-'));
}

TEST(CliState, ExtraArgumentIsAUsageError) {
  CliRun run = RunCli("--emulator state extra");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(WithPrefix(run, "line: ").empty());
}

}  // namespace
