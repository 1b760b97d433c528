// Exchange speed and idle cost over a pseudo-terminal, with the termios device and a
// register thread on the far end:
//   1. N exchanges (default 200) with a 20-byte variable-length answer (allowShortAnswer 1,
//      answerLength 55): mean, fastest and slowest time per exchange beyond the delay;
//   2. one exchange whose answer comes 5 s late: CPU time the exchange thread used while
//      it waited, as a share of one core; beside it, for comparison, what a bare loop of
//      2 ms poll() calls costs on this machine (the floor of any 2 ms byte time-out).
// Usage: bench_exchange [exchanges] [delayMs]
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/framing.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Bytes = std::vector<uint8_t>;
using SteadyClock = std::chrono::steady_clock;

// The register's side on the pty master: answers every command with one fixed payload.
class Register {
 public:
  bool Open() {
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    char name[128] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) return false;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = name;
    return true;
  }
  ~Register() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  const std::string& path() const { return path_; }

  void Serve(Bytes answer, int count, int answerDelayMs) {
    thread_ = std::thread([this, answer = std::move(answer), count, answerDelayMs] {
      for (int i = 0; i < count && !stop_; ++i) {
        if (!ServeOne(answer, answerDelayMs)) {
          std::fprintf(stderr, "register: exchange %d went wrong\n", i + 1);
          return;
        }
      }
    });
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::optional<uint8_t> Receive(int timeoutMs) {
    for (;;) {
      uint8_t b = 0;
      if (read(master_, &b, 1) == 1) return b;
      pollfd p{master_, POLLIN, 0};
      const int r = poll(&p, 1, timeoutMs);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return std::nullopt;
    }
  }
  bool Expect(uint8_t b) {
    const auto got = Receive(5000);
    return got && *got == b;
  }
  bool Send(const Bytes& bytes) {
    return write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  bool ServeOne(const Bytes& answer, int answerDelayMs) {
    if (!Expect(ENQ) || !Send({ACK})) return false;
    Bytes frame;
    while (!FrameComplete(frame)) {
      const auto b = Receive(5000);
      if (!b) return false;
      frame.push_back(*b);
    }
    if (!Send({ACK}) || !Expect(EOT)) return false;
    if (answerDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(answerDelayMs));
    if (!Send({ENQ}) || !Expect(ACK)) return false;
    if (!Send(BuildFrame(answer)) || !Expect(ACK)) return false;
    return Send({EOT});
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

double ThreadCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
         usage.ru_stime.tv_usec / 1e3;
}

double MsSince(SteadyClock::time_point start) {
  return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

struct Session {
  Register reg;
  QuietUi ui;
  Settings settings;
  std::unique_ptr<PortDevice> device = CreateSystemPortDevice();
  std::unique_ptr<SerialPort> port;
  std::unique_ptr<Link> link;

  bool Start() {
    if (!reg.Open()) return false;
    port = std::make_unique<SerialPort>(*device, SystemClock(), ui);
    if (!port->OpenPort(reg.path()) || !port->ConfigurePort(4)) return false;
    settings.AccessPassword = "7391";
    link = std::make_unique<Link>(*port, ui, settings);
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  long exchangeCount = 200, delay = 0;
  const int usage =
      ParseArgs(argc, argv, "usage: bench_exchange [exchanges] [delayMs]",
                {{"exchanges", 1, 1000000, exchangeCount}, {"delayMs", 0, 60000, delay}});
  if (usage >= 0) return usage;
  const int exchanges = static_cast<int>(exchangeCount);
  const auto delayMs = static_cast<uint32_t>(delay);

  // 20 payload bytes: marker, result code 0, data.
  Bytes answer(20);
  for (size_t i = 0; i < answer.size(); ++i) answer[i] = static_cast<uint8_t>(0x40 + i);
  answer[1] = 0x00;

  {
    Session s;
    if (!s.Start()) {
      std::fprintf(stderr, "cannot set up the pseudo-terminal\n");
      return 1;
    }
    s.reg.Serve(answer, exchanges, 0);
    const Bytes command = s.link->CommandFrame(0x46, {0x01, 0x01, 0x01});
    std::vector<double> times;
    times.reserve(exchanges);
    int failures = 0;
    for (int i = 0; i < exchanges; ++i) {
      const auto start = SteadyClock::now();
      const int result = s.link->ExchangeWithAnswer(command, 1, 55, 1, Timeouts{}, delayMs);
      times.push_back(MsSince(start) - delayMs);
      if (result != kExchangeOk || s.link->AnswerLength != 23) ++failures;
    }
    s.reg.Join();
    double sum = 0;
    for (double t : times) sum += t;
    std::sort(times.begin(), times.end());
    std::printf("%d exchanges, 20-byte answer (allowShortAnswer 1, answerLength 55), delay %u ms\n",
                exchanges, delayMs);
    std::printf(
        "  beyond the delay: mean %.3f ms, fastest %.3f ms, median %.3f ms, slowest %.3f ms\n",
        sum / times.size(), times.front(), times[times.size() / 2], times.back());
    std::printf("  failed exchanges: %d\n", failures);
    if (failures) return 1;
  }

  {
    Session s;
    if (!s.Start()) return 1;
    s.reg.Serve(Bytes{0x55, 0x00, 0x00}, 1, 5000);
    const double cpuStart = ThreadCpuMs();
    const auto start = SteadyClock::now();
    const int result = s.link->ExchangeWithAnswer(s.link->CommandFrame(0x47), 0, 6, 1);
    const double wall = MsSince(start);
    const double cpu = ThreadCpuMs() - cpuStart;
    s.reg.Join();
    std::printf("one exchange, answer 5 s late: result %d after %.1f ms\n", result, wall);
    std::printf("  CPU of the exchange thread: %.1f ms = %.3f %% of one core\n", cpu,
                100.0 * cpu / wall);
    if (result != kExchangeOk) return 1;
  }

  {
    const double cpuStart = ThreadCpuMs();
    const auto start = SteadyClock::now();
    int wakeups = 0;
    while (MsSince(start) < 2000) {
      poll(nullptr, 0, static_cast<int>(kByteReadTimeoutMs));
      ++wakeups;
    }
    const double wall = MsSince(start);
    const double cpu = ThreadCpuMs() - cpuStart;
    std::printf(
        "bare 2 ms poll loop: %d wake-ups in %.0f ms, CPU %.3f %% of one core (%.1f us each)\n",
        wakeups, wall, 100.0 * cpu / wall, 1000.0 * cpu / wakeups);
  }
  return 0;
}
