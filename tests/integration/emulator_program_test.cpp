// ptk-emulator as a program: the first line names the pty, an independent raw client
// speaks the protocol with it (ACK, NAK on a bad check byte, the answer repeated after
// NAK, EOT), and SIGTERM ends it cleanly with the state and the tape on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/link/card_reader.h"
#include "core/link/framing.h"
#include "core/link/serial_device.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace ptk;

// The build folder: PTK_BIN_DIR under ctest, else two levels above this test binary.
std::string EmulatorPath() {
  const char* dir = std::getenv("PTK_BIN_DIR");
  if (dir) return std::string(dir) + "/src/emulator/ptk-emulator";
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "src/emulator/ptk-emulator").string();
}

struct Child {
  pid_t pid = -1;
  int out = -1;
};

Child Spawn(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv;
    std::string path = EmulatorPath();
    argv.push_back(path.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  return {pid, fds[0]};
}

std::string ReadLine(int fd, int timeoutMs = 5000) {
  std::string line;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char c;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

int WaitExit(pid_t pid, int timeoutMs = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -2;
}

// A minimal PC side, independent of the program's link.
class RawClient {
 public:
  explicit RawClient(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return;
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    tcsetattr(fd_, TCSANOW, &t);
  }
  ~RawClient() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  void Write(const Bytes& b) { ASSERT_EQ(write(fd_, b.data(), b.size()), ssize_t(b.size())); }
  // Reads until n bytes or the time passes.
  Bytes Read(size_t n, int timeoutMs = 2000) {
    Bytes out;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      uint8_t buf[256];
      ssize_t got = read(fd_, buf, std::min(sizeof buf, n - out.size()));
      if (got > 0) out.insert(out.end(), buf, buf + got);
    }
    return out;
  }
  // A whole answer frame: up to and including the check byte.
  Bytes ReadFrame() {
    Bytes frame;
    while (!FrameComplete(frame)) {
      Bytes b = Read(1);
      if (b.empty()) break;
      frame.push_back(b[0]);
    }
    return frame;
  }

 private:
  int fd_ = -1;
};

class EmulatorProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ptk-emu-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(EmulatorProgram, ServesAnIndependentClientAndSavesOnSigterm) {
  std::string state = (dir_ / "register.state").string();
  std::string tape = (dir_ / "tape.txt").string();
  Child child = Spawn({"--state", state, "--tape", tape});
  ASSERT_GT(child.pid, 0);
  std::string path = ReadLine(child.out);
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  {
    RawClient pc(path);
    ASSERT_TRUE(pc.ok());
    // Enter mode 2 with the administrator's password; a bad check byte first.
    Bytes frame = BuildFrame(Bytes{0x73, 0x91, 0x56, 0x02, 0x00, 0x00, 0x00, 0x29});
    pc.Write({ENQ});
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    Bytes bad = frame;
    bad.back() ^= 0x5A;
    pc.Write(bad);
    EXPECT_EQ(pc.Read(1), Bytes{NAK});
    pc.Write(frame);
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    pc.Write({EOT});
    EXPECT_EQ(pc.Read(1), Bytes{ENQ});
    pc.Write({ACK});
    Bytes answer = pc.ReadFrame();
    EXPECT_EQ(answer, BuildFrame(Bytes{0x55, 0x00, 0x00}));
    pc.Write({NAK});  // repeated after NAK
    EXPECT_EQ(pc.ReadFrame(), answer);
    pc.Write({ACK});
    EXPECT_EQ(pc.Read(1), Bytes{EOT});

    // Print "№1".
    pc.Write({ENQ});
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    pc.Write(BuildFrame(Bytes{0x73, 0x91, 0x5E, 0xFC, 0x31}));
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    pc.Write({EOT});
    EXPECT_EQ(pc.Read(1), Bytes{ENQ});
    pc.Write({ACK});
    EXPECT_EQ(pc.ReadFrame(), BuildFrame(Bytes{0x55, 0x00, 0x00}));
    pc.Write({ACK});
    EXPECT_EQ(pc.Read(1), Bytes{EOT});
  }
  kill(child.pid, SIGTERM);
  EXPECT_EQ(WaitExit(child.pid), 0);
  close(child.out);

  std::ifstream s(state);
  std::string text((std::istreambuf_iterator<char>(s)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\nmode 2\n"), std::string::npos) << text;
  std::ifstream t(tape);
  std::string line;
  std::getline(t, line);
  EXPECT_EQ(line, "№1");

  // The saved state is where the next run starts.
  Child again = Spawn({"--state", state});
  std::string path2 = ReadLine(again.out);
  {
    RawClient pc(path2);
    pc.Write({ENQ});
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    pc.Write(BuildFrame(Bytes{0x73, 0x91, 0x45}));
    EXPECT_EQ(pc.Read(1), Bytes{ACK});
    pc.Write({EOT});
    EXPECT_EQ(pc.Read(1), Bytes{ENQ});
    pc.Write({ACK});
    EXPECT_EQ(pc.ReadFrame(), BuildFrame(Bytes{0x55, 0x02, 0x00}));  // still in mode 2
    pc.Write({ACK});
    pc.Read(1);
  }
  kill(again.pid, SIGINT);
  EXPECT_EQ(WaitExit(again.pid), 0);
  close(again.out);
}

TEST_F(EmulatorProgram, CommandLine) {
  struct Row {
    std::vector<std::string> args;
    int status;
  };
  const Row rows[] = {
      {{"--help"}, 0},       {{"--faults", "nak=x"}, 2},
      {{"--model", "0"}, 2}, {{"--wire-speed", "12"}, 2},
      {{"--bogus"}, 2},      {{"--card"}, 2},
  };
  for (const Row& row : rows) {
    Child child = Spawn(row.args);
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(WaitExit(child.pid), row.status) << row.args[0];
    close(child.out);
  }
}

TEST_F(EmulatorProgram, CardReaderOnTheSecondLine) {
  Child child = Spawn({"--card", ";4000001234567899=2512?"});
  ASSERT_GT(child.pid, 0);
  const std::string path = ReadLine(child.out);
  const std::string reader = ReadLine(child.out);
  ASSERT_EQ(reader.rfind("/dev/", 0), 0u) << reader;
  EXPECT_NE(reader, path);
  auto device = CreateSystemPortDevice();
  Bytes bytes;
  EXPECT_EQ(ReadCardBytes(*device, reader, bytes), kCardReadOk);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text, ";4000001234567899=2512?\r\n");
  kill(child.pid, SIGTERM);
  EXPECT_EQ(WaitExit(child.pid), 0);
  close(child.out);
}

TEST_F(EmulatorProgram, UnreadableStateFileIsNotOverwritten) {
  std::string state = (dir_ / "register.state").string();
  {
    std::ofstream f(state);
    f << "not a state file\n";
  }
  Child child = Spawn({"--state", state});
  EXPECT_EQ(WaitExit(child.pid), 2);  // bad input, as a bad option
  close(child.out);
  std::ifstream f(state);
  std::string line;
  std::getline(f, line);
  EXPECT_EQ(line, "not a state file");
}

}  // namespace
