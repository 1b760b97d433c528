// ptk-cli date DD.MM.YY[YY] [--confirm]: sets the register's date. A date the register
// wants confirmed gives the window's warning and exit status 1, or with --confirm is sent
// once more.
// ptk-cli time H[H]:MM:SS: sets the register's time.
// Both print, as the other verbs do, the boxes, then "rezult:" and "result:".
#include "cli/cli.h"
#include "core/shell/date_time.h"

namespace ptk::cli {
namespace {

int Print(Context& c, int status) {
  c.ui.PrintBoxes(c.out);
  c.out << "rezult: " << c.ui.Result() << "\n";
  c.out << "result: " << status << "\n";
  return status == kExchangeOk ? 0 : 1;
}

int DateVerb(Context& c, const std::vector<std::string>& args) {
  const bool confirm = args.size() == 2 && args[1] == "--confirm";
  const std::optional<CalendarDate> date = args.empty() ? std::nullopt : ParseDateText(args[0]);
  if (!date || (args.size() == 2 && !confirm) || args.size() > 2) {
    c.err << "ptk-cli date: expected DD.MM.YY or DD.MM.YYYY, optionally --confirm\n";
    return 2;
  }
  int status = 0;
  if (confirm) {
    status = SetDateConfirmed(c.link, *date);
  } else {
    DateConfirmation rule;
    status = SetDate(c.link, *date);
    if (rule.AfterSetDate(c.link, status))
      c.ui.ShowBox(kCaptionWarning, kTextDateAgain, Icon::Warning, Buttons::Ok);
  }
  return Print(c, status);
}

int TimeVerb(Context& c, const std::vector<std::string>& args) {
  const std::optional<ClockTime> time = args.size() == 1 ? ParseTimeText(args[0]) : std::nullopt;
  if (!time) {
    c.err << "ptk-cli time: expected H:MM:SS or HH:MM:SS\n";
    return 2;
  }
  const int status = SetTime(c.link, *time);
  return Print(c, status);
}

const VerbRegistrar kDate("date", "date DD.MM.YY[YY] [--confirm]", DateVerb);
const VerbRegistrar kTime("time", "time H[H]:MM:SS", TimeVerb);

}  // namespace
}  // namespace ptk::cli
