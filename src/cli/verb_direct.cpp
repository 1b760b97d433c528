// ptk-cli direct CODE [PARAM ...]: one command through the compact path with a 90-byte
// answer buffer; the error is shown as the windows show it (boxes, result line) and
// printed as a signed number, followed by the answer payload when one arrived.
#include <array>

#include "cli/cli.h"
#include "core/link/direct_command.h"
#include "core/link/encoding.h"

namespace ptk::cli {
namespace {

int DirectVerb(Context& c, const std::vector<std::string>& args) {
  if (args.empty()) {
    c.err << "ptk-cli direct: expected CODE [PARAM ...] (hex bytes)\n";
    return 2;
  }
  std::vector<uint8_t> bytes;
  for (const std::string& arg : args) {
    uint8_t b = 0;
    if (!ParseHexByte(arg, b)) {
      c.err << "ptk-cli direct: not a hex byte: " << arg << "\n";
      return 2;
    }
    bytes.push_back(b);
  }
  std::array<uint8_t, kDirectAreaSize> answer{};
  size_t length = answer.size();
  const int error = DirectCommand(c.link, bytes[0], std::span<const uint8_t>(bytes).subspan(1),
                                  answer.data(), &length);
  ShowDirectError(c.ui, error);
  c.ui.PrintBoxes(c.out);
  c.out << "rezult: " << c.ui.Result() << "\n";
  c.out << "error: " << error << "\n";
  if (length > 0)
    c.out << "answer: " << HexBytes(std::span<const uint8_t>(answer.data(), length)) << "\n";
  return error == direct_error::kOk ? 0 : 1;
}

const VerbRegistrar kDirect("direct", "direct CODE [PARAM ...]", DirectVerb);

}  // namespace
}  // namespace ptk::cli
