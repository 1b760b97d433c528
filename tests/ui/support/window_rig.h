// A running program for window tests: an application context on a temporary working
// directory (no settings files: COM1, 115200, password 7391), its windows created, the
// port pointed at the in-process virtual register or at a pty nobody answers, and a
// recording person-facing interface whose PumpMessages can run a probe.
#pragma once

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

#include "core/link/clock.h"
#include "emulator/emulator_host.h"
#include "support/fake_clock.h"
#include "support/pty_peer.h"
#include "support/recording_ui.h"
#include "ui/base/app_context.h"

namespace ptk::ui {
class Tfm_MainFr;
}

namespace ptk::test {

// The recording interface of the core tests, with a probe run on every pump: the place
// to look at the windows while an exchange waits.
class ProbingUi final : public UserInterface {
 public:
  Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                 Buttons buttons) override {
    return rec.ShowBox(caption, text, icon, buttons);
  }
  std::optional<std::string> AskFile(const FileRequest& request) override {
    return rec.AskFile(request);
  }
  void SetResult(std::string_view text) override { rec.SetResult(text); }
  std::string Result() const override { return rec.Result(); }
  bool PumpMessages() override {
    if (onPump) onPump();
    return rec.PumpMessages();
  }

  RecordingUi rec;
  std::function<void()> onPump;
};

enum class Peer {
  Emulator,  // the virtual register
  Silent,    // a pty whose other end never answers
  Missing,   // a device path that does not exist
};

struct RigOptions {
  Peer peer = Peer::Emulator;
  emu::EmulatorOptions emulator;
  uint32_t clockFactor = 1;  // >1: a ScaledClock
};

inline RigOptions PeerOptions(Peer peer, uint32_t clockFactor = 1) {
  RigOptions o;
  o.peer = peer;
  o.clockFactor = clockFactor;
  return o;
}

class UiRig {
 public:
  explicit UiRig(RigOptions options = {});
  ~UiRig();

  // Shows the main window and runs its first activation (opening the port).
  void Start();

  ui::Tfm_MainFr& main();
  emu::EmulatorHost* emulator() { return context->emulator(); }
  // Frames the virtual register accepted so far.
  uint64_t FramesAccepted();

  QTemporaryDir dir;
  ProbingUi ui;
  std::unique_ptr<Clock> scaledClock;
  std::unique_ptr<ui::AppContext> context;

 private:
  std::unique_ptr<PtyPeer> silent_;
};

}  // namespace ptk::test
