// ptk-cli state, state-code, device-type: the three state queries with the exchange
// arguments of their menu items, printing the lines the state window would show.
#include "cli/cli.h"
#include "core/reports/device_state.h"

namespace ptk::cli {
namespace {

using Query = int (*)(Link&);
using Show = std::vector<std::string> (*)(const Link&);

int RunQuery(Context& c, const std::vector<std::string>& args, const char* verb, Query query,
             Show show) {
  if (!args.empty()) {
    c.err << "ptk-cli " << verb << ": takes no arguments\n";
    return 2;
  }
  const int result = query(c.link);
  c.ui.PrintBoxes(c.out);
  if (result == kExchangeOk)
    for (const std::string& line : show(c.link)) c.out << "line: " << line << "\n";
  c.out << "rezult: " << c.ui.Result() << "\n";
  c.out << "result: " << result << "\n";
  return result == kExchangeOk ? 0 : 1;
}

int StateVerb(Context& c, const std::vector<std::string>& args) {
  return RunQuery(c, args, "state", QueryDeviceState, static_cast<Show>(&ShowDeviceState));
}
int StateCodeVerb(Context& c, const std::vector<std::string>& args) {
  return RunQuery(c, args, "state-code", QueryStateCode, static_cast<Show>(&ShowStateCode));
}
int DeviceTypeVerb(Context& c, const std::vector<std::string>& args) {
  return RunQuery(c, args, "device-type", QueryDeviceType, static_cast<Show>(&ShowDeviceType));
}

const VerbRegistrar kState("state", "state", StateVerb);
const VerbRegistrar kStateCode("state-code", "state-code", StateCodeVerb);
const VerbRegistrar kDeviceType("device-type", "device-type", DeviceTypeVerb);

}  // namespace
}  // namespace ptk::cli
