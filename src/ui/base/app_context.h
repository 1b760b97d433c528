// Everything one run of the program shares: the connection settings, the serial device
// (optionally behind the line trace), the port and the link, the in-process virtual
// register when asked for, the person-facing interface, the stop request, and the windows.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/port_device.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_abort.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"

namespace ptk {
class TracingPortDevice;
}

namespace ptk::ui {

class Tfm_MainFr;
class Tfm_Help;
class Tfm_Process;
class Tfm_SostFR;
class Tfm_Ver;
class Tfm_Tape;
class Tfm_RegComm;
class Tfm_PrnStr;
class Tfm_PrnField;
class Tprogress;
class Tfm_Chek;
class Tfm_NalMoney;
class Tfm_OtrChek;
class Tfm_Beep;
class Tfm_Program;
class Tfm_Config;
class Tfm_Reports;
class Tfm_Gash;
class Tfm_AvarReport;
class Tfm_FiskPam;
class Tfm_Registr;
class Tfm_MenadgerReg;
class Tfm_SostEKLZ;
class Tfm_EKLZ;
class Tfm_DateFR;
class Tfm_PrnBmp;
class Tfm_ReadPO;
class Tfm_CheckPO;
class Tfm_SelCheckPO;
class Tfrmimgman;
class Tfm_DataTable;

// The program's windows, created hidden at start-up; a window that is not built yet
// stays null.
struct Forms {
  Tfm_MainFr* fm_MainFr = nullptr;
  Tfm_Help* fm_Help = nullptr;
  Tfm_Process* fm_Process = nullptr;
  Tfm_SostFR* fm_SostFR = nullptr;
  Tfm_Ver* fm_Ver = nullptr;
  Tprogress* progress = nullptr;
  Tfm_Tape* fm_Tape = nullptr;  // the virtual register's paper tape (with --emulator)
  Tfm_RegComm* fm_RegComm = nullptr;
  Tfm_PrnStr* fm_PrnStr = nullptr;
  Tfm_PrnField* fm_PrnField = nullptr;
  Tfm_Chek* fm_Chek = nullptr;
  Tfm_NalMoney* fm_NalMoney = nullptr;
  Tfm_OtrChek* fm_OtrChek = nullptr;
  Tfm_Beep* fm_Beep = nullptr;
  Tfm_Program* fm_Program = nullptr;
  Tfm_DataTable* fm_DataTable = nullptr;
  Tfm_Config* fm_Config = nullptr;
  Tfm_Reports* fm_Reports = nullptr;
  Tfm_Gash* fm_Gash = nullptr;
  Tfm_AvarReport* fm_AvarReport = nullptr;
  Tfm_FiskPam* fm_FiskPam = nullptr;
  Tfm_Registr* fm_Registr = nullptr;
  Tfm_MenadgerReg* fm_MenadgerReg = nullptr;
  Tfm_SostEKLZ* fm_SostEKLZ = nullptr;
  Tfm_EKLZ* fm_EKLZ = nullptr;
  Tfm_DateFR* fm_DateFR = nullptr;
  Tfm_PrnBmp* fm_PrnBmp = nullptr;
  Tfm_ReadPO* fm_ReadPO = nullptr;
  Tfm_CheckPO* fm_CheckPO = nullptr;
  Tfm_SelCheckPO* fm_SelCheckPO = nullptr;
  Tfrmimgman* frmimgman = nullptr;
};

class AppContext {
 public:
  // device: the closed serial device of this run (the system's, or any other backend).
  AppContext(UserInterface& ui, std::unique_ptr<PortDevice> device, Clock& clock = SystemClock());
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Wraps the device in the line trace written to path; false when it cannot be written.
  bool EnableTrace(const std::string& path);
  // Writes a note into the line trace at this moment, when one is written.
  void TraceNote(const std::string& text);

  // Starts the in-process virtual register; its pseudo-terminal becomes this run's port
  // (in memory only: the settings files keep their port). On failure *error (when given)
  // says why, in the register's words (a bad fault list, state file, no pty).
  bool StartEmulator(const emu::EmulatorOptions& options = {}, std::string* error = nullptr);
  emu::EmulatorHost* emulator() { return emulator_.get(); }

  // Takes a window into the context; windows live until the context ends and are
  // destroyed before the link they use.
  template <class W>
  W* Adopt(std::unique_ptr<W> window) {
    W* raw = window.get();
    windows_.push_back(std::move(window));
    return raw;
  }
  void DestroyWindows();

  UserInterface& ui;
  Clock& clock;
  Settings settings;
  // Replaces the port name of the settings file for this run only, when not empty.
  std::string portOverride;
  // The service switch: the hidden menu items and buttons shown and enabled, and the
  // firmware comparison on the menu.
  bool service = false;
  // The stop request of long operations (set by the stop buttons, tested between commands)
  // and the operation that runs.
  UserAbort abort;
  Forms forms;

 private:
  std::unique_ptr<emu::EmulatorHost> emulator_;
  std::unique_ptr<PortDevice> device_;
  std::unique_ptr<PortDevice> traced_;
  TracingPortDevice* tracing_ = nullptr;  // traced_, while a trace is written

 public:
  SerialPort port;
  Link link;

 private:
  std::vector<std::unique_ptr<QWidget>> windows_;
};

}  // namespace ptk::ui
