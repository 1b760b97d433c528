// The termios speed of a bit rate, for the serial device and for the pseudo-terminals of
// the virtual devices. POSIX only.
#pragma once

#include <termios.h>

namespace ptk {

// B9600 .. B115200 for 9600 .. 115200 bit/s; B0 for a rate without a constant.
speed_t TermiosSpeed(int baudRate);

}  // namespace ptk
