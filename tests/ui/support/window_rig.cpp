#include "support/window_rig.h"

#include <QTest>
#include <chrono>
#include <thread>

#include "core/link/serial_device.h"
#include "emulator/protocol_engine.h"
#include "ui/base/startup.h"
#include "ui/shell/main_fr.h"

namespace ptk::test {

UiRig::UiRig(RigOptions options) {
  Clock* clock = &SystemClock();
  if (options.clockFactor > 1) {
    scaledClock = std::make_unique<ScaledClock>(options.clockFactor);
    clock = scaledClock.get();
  }
  context = std::make_unique<ui::AppContext>(ui, CreateSystemPortDevice(), *clock);
  context->settings.directory = dir.path().toStdString();
  switch (options.peer) {
    case Peer::Emulator:
      // Through the context, as --emulator does: the tape window exists with it.
      if (!context->StartEmulator(options.emulator)) qFatal("the virtual register did not start");
      break;
    case Peer::Silent:
      silent_ = std::make_unique<PtyPeer>();
      context->portOverride = silent_->path();
      break;
    case Peer::Missing:
      context->portOverride = dir.filePath("no-such-tty").toStdString();
      break;
  }
  ui::CreateWindows(*context);
}

UiRig::~UiRig() {
  context.reset();
}

void UiRig::Start() {
  main().show();
  // The offscreen platform activates a shown window; the activation is idempotent.
  main().FormActivate();
}

ui::Tfm_MainFr& UiRig::main() {
  return *context->forms.fm_MainFr;
}

uint64_t UiRig::FramesAccepted() {
  emu::EmulatorHost* host = context->emulator();
  return host ? host->Stats().framesAccepted : 0;
}

}  // namespace ptk::test
