#include <cerrno>
#include <cstring>
#include <string>

#include "core/link/direct_command.h"

namespace ptk {

std::string LastSystemErrorText() {
  int error = errno;
  return std::strerror(error);
}

}  // namespace ptk
