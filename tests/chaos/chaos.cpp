// Chaos run of the windows: drives `ptk-tester --emulator --keep-going --script -` with
// random steps, as a person clicking anything in any order would. After every step it asks
// the program with `list` what is reachable now (open windows, menu items, controls with
// their kind) and picks the next step from that: a menu item, random text typed or pasted
// into a field (digits, separators, Cyrillic, pasted letters, over-long strings), a click,
// a key, a choice in a list, an answer to the next boxes, a file for the next dialog, a
// window closed. Each run of the program gets random faults of the virtual register, often
// late and paused answers that make exchanges long; then some steps come with a `later`
// step that presses, types into or closes something a few milliseconds after they start,
// while their exchange waits on the register.
//
// A failure is a crash (a signal or an exit status other than 0 and 3), a sanitizer
// report on standard error, a step that does not end within its time bound (the program
// is then killed), a line-discipline violation counted by the virtual register (a
// transfer begun while the register executed a command or sent its answer; the program
// reports the count on standard error at its end), or a window left disabled once all
// steps have ended (no command runs then, so a disabled window must have an enabled one
// open over it). A step refused with `error:` (a control disabled or hidden) is not.
//
//   ptk-chaos --program PTK-TESTER [--seed N] [--steps N] [--step-limit MS] [--out DIR]
//
// PTK-TESTER may be a relative path (taken from the working directory). Prints the figures
// at the end; exit status 0 without failures, 1 with failures or when the program cannot
// be started ("cannot start PROGRAM: REASON"), 2 for a usage error. The steps and
// transcript of every failed run are kept in DIR (default: the working directory).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;

struct Options {
  std::string program;
  uint32_t seed = 1;
  long steps = 300;
  int stepLimitMs = 60000;
  std::string out = ".";
};

// What `list` said is reachable.
struct Control {
  std::string target;             // W.C
  std::string kind;               // button, edit, combo, ...
  std::vector<std::string> args;  // combo: count; grid: rows, columns; page: page names
};
struct Reachable {
  std::vector<std::string> windows;
  std::vector<std::string> menus;
  std::vector<Control> controls;
};

// A window as `show W` printed it.
struct WindowState {
  bool visible = false;
  bool enabled = false;
};

struct Figures {
  long steps = 0;
  long later = 0;        // steps that came with a later step during them
  long violations = 0;   // line-discipline violations the program reported
  long finalChecks = 0;  // runs whose windows were looked at after their last step
  long refused = 0;
  long menus = 0;
  long boxes = 0;
  long runs = 0;
  long failures = 0;
  double slowestMs = 0;
  std::string slowestStep;
  std::map<std::string, long> byKind;
  std::map<std::string, long> windowsSeen;  // open in some list, by name
  std::map<std::string, long> menusChosen;
  std::map<std::string, long> controlsUsed;
};

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The child: ptk-tester with its standard input and output on pipes and its standard
// error in a file.
class Program {
 public:
  // Starts the program in dir; on failure says why in `why` (the program cannot be
  // executed, the folder cannot be entered), and nothing runs.
  bool Start(const Options& o, const std::vector<std::string>& args, const std::string& dir,
             std::string& why) {
    int in[2], out[2], failed[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe2(failed, O_CLOEXEC) != 0) {
      why = std::strerror(errno);
      return false;
    }
    const std::string errPath = dir + "/stderr.txt";
    pid_ = fork();
    if (pid_ < 0) {
      why = std::strerror(errno);
      return false;
    }
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, 2);
      for (int fd : {in[0], in[1], out[0], out[1], failed[0]}) close(fd);
      // What went wrong goes back through the pipe that a successful exec closes.
      const auto fail = [&failed](char stage) {
        const int error = errno;
        char report[1 + sizeof error];
        report[0] = stage;
        std::memcpy(report + 1, &error, sizeof error);
        [[maybe_unused]] const ssize_t written = write(failed[1], report, sizeof report);
        _exit(127);
      };
      if (chdir(dir.c_str()) != 0) fail('d');
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(o.program.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(o.program.c_str(), argv.data());
      fail('x');
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(failed[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    char report[1 + sizeof(int)];
    ssize_t n;
    while ((n = read(failed[0], report, sizeof report)) < 0 && errno == EINTR) {
    }
    close(failed[0]);
    if (n == static_cast<ssize_t>(sizeof report)) {
      int error = 0;
      std::memcpy(&error, report + 1, sizeof error);
      why =
          (report[0] == 'd' ? "cannot enter " + dir + ": " : std::string()) + std::strerror(error);
      Wait(1000);
      return false;
    }
    return true;
  }

  bool Send(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = write(toChild_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  void CloseInput() {
    if (toChild_ >= 0) close(toChild_);
    toChild_ = -1;
  }

  enum class Line { Got, Eof, Timeout };
  // The next line of the transcript within the deadline.
  Line ReadLine(std::string& line, Steady::time_point deadline) {
    for (;;) {
      const size_t nl = pending_.find('\n');
      if (nl != std::string::npos) {
        line = pending_.substr(0, nl);
        pending_.erase(0, nl + 1);
        transcript_ += line + "\n";
        return Line::Got;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
      if (left <= 0) return Line::Timeout;
      pollfd p{fromChild_, POLLIN, 0};
      const int r = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(fromChild_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (!pending_.empty()) {
          line = pending_;
          pending_.clear();
          transcript_ += line + "\n";
          return Line::Got;
        }
        return Line::Eof;
      }
      pending_.append(buffer, static_cast<size_t>(n));
    }
  }

  // Waits for the end; nullopt when it did not end in time (it is killed then).
  std::optional<int> Wait(int limitMs) {
    const Steady::time_point end = Steady::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        pid_ = -1;
        Close();
        return status;
      }
      if (Steady::now() >= end) {
        Kill();
        return std::nullopt;
      }
      // Keep the pipe drained so that the program never blocks on its output.
      std::string ignored;
      ReadLine(ignored, Steady::now() + std::chrono::milliseconds(20));
    }
  }
  void Kill() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    Close();
  }
  const std::string& transcript() const { return transcript_; }

 private:
  void Close() {
    CloseInput();
    if (fromChild_ >= 0) close(fromChild_);
    fromChild_ = -1;
  }
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;
  std::string transcript_;
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(random_); }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  bool Chance(int percent) { return Pick(100) < percent; }
  template <typename T>
  const T& Any(const std::vector<T>& v) {
    return v[static_cast<size_t>(Pick(static_cast<int>(v.size())))];
  }

  // Faults of the virtual register for one run; counted ones only, so that a run does not
  // wait out every exchange's time limit. No lost answers: the program rightly waits out
  // the command's whole execution time then, up to 120 s for a report (600 s on the
  // compact path), beyond any step bound; nor 100 refused frames, after which it waits
  // out the execution time as well. The link's soak covers both.
  //
  // Half the runs are slow: answers open late (within a tenth of the 10 s execution time
  // most commands have, so that the program never gives up on them) or pause half-way
  // (within a third of the 500 ms the program waits for the rest of a frame), a limited
  // number of times, so that the run's whole delay stays within a few seconds. Steps of
  // such a run get later steps that land while an exchange waits.
  std::string Faults() {
    slowMs_ = 0;
    std::string slow;
    if (Chance(50)) {
      if (Chance(80)) {
        const int ms = Between(100, 1000);
        slow = "delay=" + std::to_string(ms) + "/" + std::to_string(std::clamp(6000 / ms, 2, 20));
        slowMs_ = ms;
      }
      if (slow.empty() || Chance(30)) {
        const int ms = Between(20, 150);
        slow += (slow.empty() ? "" : ",") + std::string("pause=") + std::to_string(ms) + "/" +
                std::to_string(Between(2, 10));
        slowMs_ = std::max(slowMs_, ms);
      }
    }
    if (Chance(40)) return slow;
    static const std::vector<std::string> kinds = {
        "nak=2",        "badcheck=3",   "badcheck=6",        "silent=2",     "silent=6",
        "delay=300/2",  "pause=40/3",   "code=45:66/2",      "code=3F:8C/1", "code=46:91/3",
        "code=50:13/2", "code=5E:67/3", "nopaper",           "nolink",       "coveropen",
        "noroll",       "paperout=3",   "reporttime=3000/1", "code=A5:7A/1", "code=91:6C/2",
        "code=E0:46/1", "code=80:9B/1"};
    std::string spec = Any(kinds);
    if (Chance(30)) spec += "," + Any(kinds);
    return slow.empty() ? spec : slow + "," + spec;
  }

  std::string Text() {
    // Now and then a value the windows take: the passwords that open the modes, amounts,
    // dates, codes, so that the run gets past the mode entry into the windows behind it.
    static const std::vector<std::string> values = {
        "00000001", "00000029", "00000030",   "00000000", "7391", "1",    "2",  "10",
        "100,00",   "1,5",      "15.06.2026", "12:30:00", "5",    "0000", "30", "4600000000008"};
    if (Chance(25)) return Any(values);
    static const std::vector<std::string> pieces = {
        "0",          "1",
        "12",         "12,50",
        "0,01",       "-1",
        "100",        "99999",
        "4294967296", "1e10",
        ",",          ".",
        ";",          ":",
        "/",          "-",
        " ",          "abcXYZ",
        "Ёжик",       "ПТК",
        "я",          "№",
        "\\",         "\"",
        "%s%n",       "\xF0\x9F\x98\x80",
        "00000030",   "7391",
        "01.01.2000", "31.12.99",
        "25:61:61",   "0x10",
        "\x10\x03",   "'",
        "<>",
    };
    std::string s;
    const int n = Between(1, 6);
    for (int i = 0; i < n; ++i) s += Any(pieces);
    if (Chance(8)) {
      // Over-long: a pasted paragraph.
      const std::string unit = Chance(50) ? "1234567890" : "Длинная строка, ";
      const int repeat = Between(10, 150);
      for (int i = 0; i < repeat; ++i) s += unit;
    }
    return s;
  }

  std::string Key() {
    static const std::vector<std::string> keys = {
        "Return", "Enter",  "Escape", "Tab",    "Backspace", "Delete", "F1",     "F2",
        "F5",     "F10",    "F12",    "Up",     "Down",      "Left",   "Right",  "Home",
        "End",    "Ctrl+L", "Ctrl+A", "Ctrl+V", "Shift+Tab", "Alt+F4", "Ctrl+C", "Alt+X"};
    return Any(keys);
  }

  // One step for what is reachable now; kind names the sort of step for the figures.
  std::string Step(const Reachable& r, std::string& kind) {
    if (!followUp_.empty()) {
      // Return after typing, as a person ends an entry.
      kind = "key";
      std::string step = "key " + followUp_ + " Return";
      followUp_.clear();
      return step;
    }
    const int x = Pick(100);
    if (x < 15 && !r.menus.empty()) {
      kind = "menu";
      return "menu " + Any(r.menus);
    }
    if (x < 20) {
      kind = "answer";
      static const std::vector<std::string> answers = {"yes", "no", "ok", "cancel"};
      return "answer " + Any(answers) + (Chance(30) ? " " + std::to_string(Between(2, 4)) : "");
    }
    if (x < 23) {
      kind = "file";
      static const std::vector<std::string> files = {
          "-", "junk.bin", "empty.bmp", "text.txt", "new.bin", "missing/none.bmp", "."};
      return "file " + Any(files);
    }
    if (x < 27 && !r.windows.empty()) {
      const std::string& w = Any(r.windows);
      // The main window rarely: closing it ends the run.
      if (w != "fm_MainFr" || Chance(2)) {
        kind = "close";
        return "close " + w;
      }
    }
    if (x < 28) {
      kind = "wait";
      return "wait " + std::to_string(Between(0, 300));
    }
    if (r.controls.empty()) {
      kind = "menu";
      return r.menus.empty() ? "wait 10" : "menu " + Any(r.menus);
    }
    const Control& c = Any(r.controls);
    std::string step = ControlStep(c, kind);
    // In a slow run often, else now and then: a step that starts an exchange, and a few
    // milliseconds after it starts, while the exchange waits, the same control pressed
    // again, another one pressed or typed into, or a window closed.
    if (x < 30 || (slowMs_ > 0 && x < 45)) {
      kind = "later";
      followUp_.clear();  // the Return would follow the later step's typing, not this one
      const std::string starter = Starter(r);
      std::string inner = step;
      const std::string w = r.windows.empty() ? "" : Any(r.windows);
      const int y = Pick(100);
      if (y < 40) {
        inner = starter;
      } else if (y < 55 && !w.empty() && w != "fm_MainFr") {
        inner = "close " + w;
      }
      const int span = slowMs_ > 0 ? slowMs_ + 100 : 400;
      return "later " + std::to_string(Between(1, span)) + " " + inner + "\n" + starter;
    }
    return step;
  }

 private:
  std::string ControlStep(const Control& c, std::string& kind) {
    const std::string& k = c.kind;
    const bool typed = k == "edit" || k == "combo-edit" || k == "updown" || k == "date" ||
                       k == "time" || k == "memo";
    if (Chance(12)) {
      kind = "key";
      return "key " + c.target + " " + Key();
    }
    if (typed) {
      if (Chance(70)) {
        kind = "type";
        if (Chance(40)) followUp_ = c.target;
        return "type " + c.target + (Chance(5) ? "" : " " + Text());
      }
      kind = "set";
      if (k == "date") return "set " + c.target + " " + (Chance(70) ? "15.06.2026" : Text());
      if (k == "time") return "set " + c.target + " " + (Chance(70) ? "12:30:00" : Text());
      return "set " + c.target + " " + Text();
    }
    if ((k == "combo" || k == "combo-edit") && !c.args.empty()) {
      kind = "set";
      const int count = std::atoi(c.args[0].c_str());
      return "set " + c.target + " #" + std::to_string(Between(-1, count));
    }
    if (k == "group" && !c.args.empty()) {
      kind = "set";
      return "set " + c.target + " " + std::to_string(Between(-1, std::atoi(c.args[0].c_str())));
    }
    if (k == "page" && !c.args.empty() && Chance(70)) {
      kind = "set";
      return "set " + c.target + " " + Any(c.args);
    }
    if (k == "grid" && c.args.size() == 2 && Chance(70)) {
      kind = "set";
      const int rows = std::max(1, std::atoi(c.args[0].c_str()));
      const int columns = std::max(1, std::atoi(c.args[1].c_str()));
      return "set " + c.target + "[" + std::to_string(Pick(rows + 1)) + "," +
             std::to_string(Pick(columns + 1)) + "] " + Text();
    }
    if ((k == "check" || k == "radio") && Chance(30)) {
      kind = "set";
      return "set " + c.target + " " + (Chance(50) ? "1" : "0");
    }
    kind = "click";
    return "click " + c.target;
  }

  // A step likely to start an exchange: a button, a menu item or Return in a field.
  std::string Starter(const Reachable& r) {
    std::vector<const Control*> buttons;
    std::vector<const Control*> fields;
    for (const Control& c : r.controls) {
      if (c.kind == "button") buttons.push_back(&c);
      if (c.kind == "edit" || c.kind == "combo-edit" || c.kind == "updown") fields.push_back(&c);
    }
    const int x = Pick(100);
    if (x < 60 && !buttons.empty()) return "click " + Any(buttons)->target;
    if (x < 85 && !r.menus.empty()) return "menu " + Any(r.menus);
    if (!fields.empty()) return "key " + Any(fields)->target + " Return";
    if (!buttons.empty()) return "click " + Any(buttons)->target;
    return r.menus.empty() ? "wait 10" : "menu " + Any(r.menus);
  }

  std::mt19937 random_;
  std::string followUp_;  // a control typed into, to get Return next
  int slowMs_ = 0;        // the longest delay or pause of this run's faults; 0: none
};

bool SanitizerReport(const std::string& text) {
  return text.find("ERROR: AddressSanitizer") != std::string::npos ||
         text.find("ERROR: LeakSanitizer") != std::string::npos ||
         text.find("runtime error:") != std::string::npos ||
         text.find("WARNING: ThreadSanitizer") != std::string::npos;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A fresh working folder with a few files for the file dialogs.
std::string MakeWorkDir(Generator& g) {
  char pattern[] = "/tmp/ptk-chaos-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (!dir) return "";
  std::string junk;
  const int n = g.Between(0, 3000);
  for (int i = 0; i < n; ++i) junk += static_cast<char>(g.Pick(256));
  WriteFile(std::string(dir) + "/junk.bin", junk);
  WriteFile(std::string(dir) + "/empty.bmp", "");
  WriteFile(std::string(dir) + "/text.txt", "BM строка\n");
  return dir;
}

void RemoveDir(const std::string& dir) {
  if (dir.empty() || dir.rfind("/tmp/ptk-chaos-", 0) != 0) return;
  const std::string command = "rm -rf '" + dir + "'";
  if (std::system(command.c_str()) != 0) {
  }
}

// Reads one `list` answer (through "list: end"); the lines before it belong to the step.
// Windows shown on the way (`show: W = visible, enabled, ...`) go into shown.
Program::Line ReadList(Program& p, Steady::time_point deadline, Reachable& r, Figures& f,
                       bool& refused, std::map<std::string, WindowState>* shown = nullptr) {
  r = Reachable{};
  std::string line;
  for (;;) {
    const Program::Line got = p.ReadLine(line, deadline);
    if (got != Program::Line::Got) return got;
    if (line.rfind("error: ", 0) == 0) refused = true;
    if (line.rfind("box: ", 0) == 0) ++f.boxes;
    if (shown && line.rfind("show: ", 0) == 0) {
      const std::vector<std::string> w = Words(line.substr(6));
      if (w.size() >= 4 && w[1] == "=" && w[0].find('.') == std::string::npos)
        (*shown)[w[0]] = {w[2] == "visible,", w[3] == "enabled,"};
    }
    if (line.rfind("list: ", 0) != 0) continue;
    const std::vector<std::string> w = Words(line.substr(6));
    if (w.empty()) continue;
    if (w[0] == "end") return Program::Line::Got;
    if (w[0] == "window" && w.size() >= 2) {
      r.windows.push_back(w[1]);
      ++f.windowsSeen[w[1]];
    }
    if (w[0] == "menu" && w.size() >= 2) r.menus.push_back(w[1]);
    if (w[0] == "control" && w.size() >= 3)
      r.controls.push_back({w[1], w[2], std::vector<std::string>(w.begin() + 3, w.end())});
  }
}

// What is wrong with the windows once every step has ended, or "" when nothing is. No
// command runs then, so a disabled window must have an enabled window open over it: the
// main window one of the others, another window one besides itself and the main window
// (the tape window, beside them all, explains neither). The main window enabled with no
// other window open must offer the menu.
std::string WindowsLeftDisabled(const std::map<std::string, WindowState>& shown,
                                bool menuReachable) {
  const std::string kMain = "fm_MainFr";
  const std::string kTape = "fm_Tape";
  std::vector<std::string> open;
  for (const auto& [name, state] : shown)
    if (state.visible && name != kMain && name != kTape) open.push_back(name);
  const auto enabledBesides = [&](const std::string& self) {
    return std::any_of(open.begin(), open.end(), [&](const std::string& name) {
      return name != self && shown.at(name).enabled;
    });
  };
  const auto main = shown.find(kMain);
  if (main == shown.end()) return "the main window was not shown";
  if (main->second.visible && !main->second.enabled && !enabledBesides(kMain))
    return "the main window is left disabled with no enabled window open over it";
  for (const std::string& name : open)
    if (!shown.at(name).enabled && !enabledBesides(name))
      return name + " is left disabled with no enabled window open over it";
  if (main->second.visible && main->second.enabled && open.empty() && !menuReachable)
    return "the main window is enabled but no menu item can be chosen";
  return "";
}

// The virtual register's line-discipline violations as the program reported them at its
// end; nullopt when it did not.
std::optional<long> ReportedViolations(const std::string& errors) {
  static const std::string kReport = "ptk-tester: нарушений порядка обмена: ";
  const size_t at = errors.rfind(kReport);
  if (at == std::string::npos) return std::nullopt;
  return std::strtol(errors.c_str() + at + kReport.size(), nullptr, 10);
}

// Set when the program could not be started at all: the whole run ends.
bool cannotStart = false;

// One run of the program; false when it failed.
bool RunOnce(const Options& o, Generator& g, long steps, Figures& f) {
  ++f.runs;
  const std::string dir = MakeWorkDir(g);
  // The line trace shows what the program and the register did when a run fails.
  std::vector<std::string> args = {"--emulator",      "--keep-going", "--script", "-",
                                   "--firmware-size", "2500,300",     "--trace",  "trace.txt"};
  const std::string faults = g.Faults();
  if (!faults.empty()) args.insert(args.end(), {"--faults", faults});
  if (g.Chance(25)) args.push_back("--service");
  if (g.Chance(20)) args.insert(args.end(), {"--model", std::to_string(g.Between(1, 2))});

  std::string sent;
  for (const std::string& a : args) sent += "# " + a + "\n";
  Program p;
  std::string why = "cannot create a working folder in /tmp";
  if (dir.empty() || !p.Start(o, args, dir, why)) {
    // Not a failure of the program: nothing ran, and no other run would.
    std::cerr << "chaos: cannot start " << o.program << ": " << why << "\n";
    RemoveDir(dir);
    cannotStart = true;
    return false;
  }
  std::string failure;
  Reachable r;
  bool refused = false;
  sent += "list\n";
  p.Send("list\n");
  Program::Line got =
      ReadList(p, Steady::now() + std::chrono::milliseconds(o.stepLimitMs), r, f, refused);
  if (got == Program::Line::Timeout) failure = "the program did not start within the step bound";
  long done = 0;
  while (failure.empty() && got == Program::Line::Got && done < steps) {
    std::string kind;
    const std::string step = g.Step(r, kind);
    sent += step + "\nlist\n";
    const Steady::time_point start = Steady::now();
    if (!p.Send(step + "\nlist\n")) break;  // the program ended (closed main window)
    refused = false;
    got = ReadList(p, start + std::chrono::milliseconds(o.stepLimitMs), r, f, refused);
    const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    ++done;
    if (kind == "later") ++f.later;
    if (++f.steps % 1000 == 0) {
      std::cout << "chaos: " << f.steps << " steps, " << f.failures << " failures\n";
      std::cout.flush();
    }
    ++f.byKind[kind];
    const std::vector<std::string> words = Words(step);
    if (kind == "menu") {
      ++f.menus;
      if (words.size() >= 2) ++f.menusChosen[words[1]];
    } else if (words.size() >= 2 && words[1].find('.') != std::string::npos) {
      ++f.controlsUsed[words[1].substr(0, words[1].find('['))];
    }
    if (refused) ++f.refused;
    if (ms > f.slowestMs) {
      f.slowestMs = ms;
      f.slowestStep = step;
      std::replace(f.slowestStep.begin(), f.slowestStep.end(), '\n', '/');
    }
    if (got == Program::Line::Timeout)
      failure = "step \"" + step + "\" did not end within " + std::to_string(o.stepLimitMs) + " ms";
  }
  if (failure.empty() && got == Program::Line::Got) {
    // Every step has ended (a later one too, once the wait is over): look at the windows.
    std::string check = "wait 200\nshow fm_MainFr\n";
    for (const std::string& w : r.windows)
      if (w != "fm_MainFr") check += "show " + w + "\n";
    check += "list\n";
    sent += check;
    std::map<std::string, WindowState> shown;
    if (p.Send(check)) {
      refused = false;
      got = ReadList(p, Steady::now() + std::chrono::milliseconds(o.stepLimitMs), r, f, refused,
                     &shown);
      if (got == Program::Line::Timeout) {
        failure = "the windows could not be looked at within the step bound";
      } else if (got == Program::Line::Got) {
        ++f.finalChecks;
        const std::string stuck = WindowsLeftDisabled(shown, !r.menus.empty());
        if (!stuck.empty()) failure = "after the last step " + stuck;
      }
    }
  }
  std::optional<int> status;
  if (failure.empty()) {
    p.CloseInput();
    status = p.Wait(o.stepLimitMs);
    if (!status) failure = "the program did not end within the step bound after its last step";
  } else {
    p.Kill();
  }
  if (failure.empty() && status) {
    if (WIFSIGNALED(*status)) {
      failure = std::string("killed by signal ") + strsignal(WTERMSIG(*status));
    } else if (WEXITSTATUS(*status) != 0 && WEXITSTATUS(*status) != 3) {
      failure = "exit status " + std::to_string(WEXITSTATUS(*status));
    }
  }
  const std::string errors = ReadFile(dir + "/stderr.txt");
  if (failure.empty() && SanitizerReport(errors)) failure = "sanitizer report";
  if (failure.empty() && status) {
    // The program ended by itself: it says how often it broke the line discipline.
    const std::optional<long> violations = ReportedViolations(errors);
    if (!violations) {
      failure = "the program did not report its line-discipline violations";
    } else if (*violations != 0) {
      failure =
          std::to_string(*violations) + " line-discipline violation(s) in the virtual register";
      f.violations += *violations;
    }
  }
  if (!failure.empty()) {
    ++f.failures;
    const std::string base =
        o.out + "/chaos-" + std::to_string(o.seed) + "-run" + std::to_string(f.runs);
    WriteFile(base + ".script", sent);
    WriteFile(base + ".transcript", p.transcript());
    WriteFile(base + ".stderr", errors);
    WriteFile(base + ".trace", ReadFile(dir + "/trace.txt"));
    std::cout << "chaos: FAILURE in run " << f.runs << " (faults \"" << faults << "\"): " << failure
              << "\n  steps: " << base << ".script\n  transcript: " << base
              << ".transcript\n  standard error: " << base << ".stderr\n  line trace: " << base
              << ".trace\n";
    std::cout.flush();
  }
  RemoveDir(dir);
  return failure.empty();
}

constexpr const char* kUsage =
    "usage: ptk-chaos --program PTK-TESTER [--seed N] [--steps N] [--step-limit MS] [--out DIR]";

int Usage(const std::string& why) {
  std::cerr << "ptk-chaos: " << why << "\n" << kUsage << "\n";
  return 2;
}

// A decimal number within [low, high], nothing else.
template <typename T>
bool ParseNumber(const std::string& text, T low, T high, T& value) {
  T v{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc() || ptr != end || v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage << "\n";
      return 0;
    }
    if (i + 1 >= argc) return Usage("missing value after " + a);
    const std::string v = argv[++i];
    if (a == "--program") {
      o.program = v;
    } else if (a == "--seed") {
      if (!ParseNumber<uint32_t>(v, 0, UINT32_MAX, o.seed))
        return Usage("--seed takes 0 to 4294967295, not " + v);
    } else if (a == "--steps") {
      if (!ParseNumber<long>(v, 1, 1000000000, o.steps))
        return Usage("--steps takes 1 to 1000000000, not " + v);
    } else if (a == "--step-limit") {
      if (!ParseNumber<int>(v, 1, 3600000, o.stepLimitMs))
        return Usage("--step-limit takes 1 to 3600000 ms, not " + v);
    } else if (a == "--out") {
      o.out = v;
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (o.program.empty()) return Usage("--program is required");
  // Each run starts the program in a working folder of its own: a relative path would
  // then name nothing.
  std::error_code ec;
  o.program = std::filesystem::absolute(o.program, ec).lexically_normal().string();
  if (access(o.program.c_str(), X_OK) != 0) {
    std::cerr << "chaos: cannot start " << o.program << ": " << std::strerror(errno) << "\n";
    return 1;
  }

  signal(SIGPIPE, SIG_IGN);  // a program that ended shows as a failed write
  std::cout << "chaos: seed " << o.seed << ", " << o.steps << " steps, step bound " << o.stepLimitMs
            << " ms, program " << o.program << "\n";
  std::cout.flush();
  Generator g(o.seed);
  Figures f;
  const Steady::time_point start = Steady::now();
  while (f.steps < o.steps) {
    const long before = f.steps;
    const long chunk = std::min<long>(o.steps - f.steps, g.Between(40, 200));
    RunOnce(o, g, chunk, f);
    if (cannotStart) return 1;
    if (f.steps == before) ++f.steps;  // a run that could not take a step still counts one
  }
  const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
  std::cout << "chaos: " << f.steps << " steps in " << f.runs << " runs, " << seconds
            << " s; refused (error:) " << f.refused << ", menu items " << f.menus
            << ", boxes answered " << f.boxes << "\n";
  std::cout << "chaos: steps by kind:";
  for (const auto& [kind, count] : f.byKind) std::cout << " " << kind << " " << count;
  std::cout << "\nchaos: " << f.windowsSeen.size() << " windows seen open, " << f.menusChosen.size()
            << " menu items chosen, " << f.controlsUsed.size() << " controls used";
  std::cout << "\nchaos: slowest step " << f.slowestMs << " ms (bound " << o.stepLimitMs
            << "): " << f.slowestStep << "\n";
  std::cout << "chaos: " << f.later << " steps with a later step during them; windows looked at "
            << "after the last step of " << f.finalChecks << " runs; " << f.violations
            << " line-discipline violations\n";
  std::cout << "chaos: " << f.failures
            << " failures (crash, sanitizer report, hang, line-discipline violation, window "
               "left disabled)\n";
  return f.failures == 0 ? 0 : 1;
}
