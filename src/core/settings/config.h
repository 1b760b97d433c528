// Connection settings: three one-line files in the working directory.
#pragma once

#include <string>

#include "core/shell/user_interface.h"

namespace ptk {

inline constexpr const char* kPortFile = "num_port.ini";
inline constexpr const char* kBaudFile = "baude_fr.ini";
inline constexpr const char* kPasswordFile = "pass_fr.ini";

inline constexpr const char* kBaudNames[5] = {"CBR_9600", "CBR_19200", "CBR_38400", "CBR_57600",
                                              "CBR_115200"};
inline constexpr int kBaudRates[5] = {9600, 19200, 38400, 57600, 115200};

struct Settings {
  std::string directory = ".";  // where the .ini files live (the working directory)
  std::string portName;         // "COMn" or an absolute device path
  int PortIndex = 0;            // COM number minus 1 (0 for a device path)
  std::string baudName;
  int BaudIndex = 0;
  std::string AccessPassword;   // empty until loaded: packs as 00 00
  std::string pendingPassword;  // the settings window's password field when applied
  int CardReaderPort = 0;       // 0: none; memory only
  std::string cardReaderName;   // "COMn" or a device path chosen for one run; wins over
                                // CardReaderPort when not empty; memory only
};

// which = 1 port, 2 speed, 3 password. Returns false (after a box) when the value was
// rejected and the previous one kept, or the file could not be written.
bool LoadSetting(Settings& settings, int which, UserInterface& ui);
bool SaveSetting(Settings& settings, int which, UserInterface& ui);

}  // namespace ptk
