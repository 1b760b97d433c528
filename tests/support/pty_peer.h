// A scripted partner at the far end of a pseudo-terminal. The device under test opens
// path() like any serial device; a script runs in a thread of its own and talks on the
// master side with the helpers below (real time, bounded by their time-outs, all
// interrupted by Stop()). The slave is raw from the start (no echo, no line editing) and
// the peer keeps a slave descriptor of its own, so that the master never sees a hang-up
// while the device under test closes and reopens.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "emulator/pty_pair.h"

namespace ptk::test {

class PtyPeer {
 public:
  PtyPeer();
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  bool ok() const { return pty_.IsOpen(); }
  // The slave device, e.g. "/dev/pts/3".
  const std::string& path() const { return pty_.path(); }
  int master_fd() const { return pty_.master(); }

  // Runs script(*this) in the peer's thread (one script at a time).
  void Run(std::function<void(PtyPeer&)> script);
  // Waits for the script to end.
  void Join();
  // Asks the script to end (every helper returns at once from then on) and waits.
  void Stop();
  bool stopping() const { return stop_.load(); }

  // --- script helpers ---
  bool Send(std::span<const uint8_t> bytes);
  bool Send(std::initializer_list<uint8_t> bytes) {
    return Send(std::span<const uint8_t>(bytes.begin(), bytes.size()));
  }
  // Sends bytes one at a time with a pause of gapUs microseconds after each.
  bool SendPaced(std::span<const uint8_t> bytes, int gapUs);
  // The next byte from the device within timeoutMs.
  std::optional<uint8_t> Receive(int timeoutMs);
  // True when the next byte arrives within timeoutMs and is `expected`.
  bool Expect(uint8_t expected, int timeoutMs);
  // A whole frame (STX .. ETX, check byte) within timeoutMs; bytes before STX are an
  // error. Returns the raw bytes as they were on the line.
  std::optional<std::vector<uint8_t>> ReceiveFrame(int timeoutMs);
  // Sleeps, waking early on Stop(); false when stopped.
  bool Sleep(int ms);
  // Reads and drops whatever arrives within ms.
  void Drain(int ms);

  // The register's side of one command with an answer: ENQ → ACK, frame → ACK, EOT;
  // then, after answerDelayMs, ENQ, ACK expected, the answer frame (STX, stuffed
  // payload, ETX, check byte; optionally broken by a pause), ACK expected, EOT.
  // Returns the unstuffed command payload, or nullopt when the device strayed from the
  // protocol or time ran out.
  struct ServeOptions {
    int answerDelayMs = 0;  // the command's execution time
    size_t pauseAfter = 0;  // bytes of the answer frame sent before the pause
    int pauseMs = 0;        // the pause inside the answer frame (0: none)
    int timeoutMs = 2000;   // for every wait on the device
  };
  std::optional<std::vector<uint8_t>> ServeCommand(std::span<const uint8_t> answerPayload,
                                                   const ServeOptions& options);
  std::optional<std::vector<uint8_t>> ServeCommand(std::span<const uint8_t> answerPayload) {
    return ServeCommand(answerPayload, ServeOptions{});
  }

  // Every byte the peer received so far (any thread).
  std::vector<uint8_t> Received() const;

  // The device vanishes: closes the master and the peer's own slave descriptor.
  void Vanish();

 private:
  // Waits until the master is readable (or writable) or Stop(); false on time-out/stop.
  bool WaitFor(short events, int timeoutMs);

  emu::PtyPair pty_;
  emu::WakePipe wake_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<uint8_t> received_;
};

}  // namespace ptk::test
