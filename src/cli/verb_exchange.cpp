// ptk-cli exchange: one raw command frame through the frame exchange, as any window sends
// it, with every argument of the exchange on the command line.
#include <charconv>
#include <optional>

#include "cli/cli.h"
#include "core/link/encoding.h"

namespace ptk::cli {
namespace {

constexpr const char* kUsage =
    "exchange CODE [PARAM ...] [--answer-length N] [--allow-short] [--no-decode] "
    "[--timeouts T1,T2,T3,T4,T5,T6,T7] [--delay MS] [--no-answer]";

std::optional<uint32_t> ParseNumber(const std::string& text) {
  uint32_t v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return v;
}

// "T1,T2,..." with exactly count numbers.
std::optional<std::vector<uint32_t>> ParseList(const std::string& text, size_t count) {
  std::vector<uint32_t> values;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::optional<uint32_t> v = ParseNumber(text.substr(start, comma - start));
    if (!v) return std::nullopt;
    values.push_back(*v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

struct ExchangeArgs {
  std::vector<uint8_t> codeAndParams;
  int answerLength = 6;
  int allowShort = 0;
  int decode = 1;
  bool noAnswer = false;
  std::optional<std::string> timeouts;
  uint32_t delay = 0;
  Timeouts t;
};

int Usage(Context& c, const std::string& why) {
  c.err << "ptk-cli exchange: " << why << " (" << kUsage << ")\n";
  return 2;
}

int ExchangeVerb(Context& c, const std::vector<std::string>& args) {
  ExchangeArgs a;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--allow-short") {
      a.allowShort = 1;
    } else if (arg == "--no-decode") {
      a.decode = 0;
    } else if (arg == "--no-answer") {
      a.noAnswer = true;
    } else if (arg == "--answer-length") {
      const std::optional<uint32_t> n = hasValue ? ParseNumber(args[++i]) : std::nullopt;
      if (!n || *n > kLinkBufferSize) return Usage(c, "--answer-length takes 0 to 260");
      a.answerLength = static_cast<int>(*n);
    } else if (arg == "--delay") {
      const std::optional<uint32_t> n = hasValue ? ParseNumber(args[++i]) : std::nullopt;
      if (!n) return Usage(c, "--delay takes milliseconds");
      a.delay = *n;
    } else if (arg == "--timeouts") {
      if (!hasValue) return Usage(c, "--timeouts needs a value");
      a.timeouts = args[++i];
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(c, "unknown option " + arg);
    } else {
      uint8_t b = 0;
      if (!ParseHexByte(arg, b)) return Usage(c, "not a hex byte: " + arg);
      a.codeAndParams.push_back(b);
    }
  }
  if (a.codeAndParams.empty()) return Usage(c, "no command code");
  if (a.timeouts) {
    // T1..T7 for the answer exchange; T1..T5 (or all seven) for --no-answer.
    std::optional<std::vector<uint32_t>> list = ParseList(*a.timeouts, 7);
    if (!list && a.noAnswer) list = ParseList(*a.timeouts, 5);
    if (!list)
      return Usage(c, a.noAnswer ? "--timeouts takes five or seven numbers"
                                 : "--timeouts takes seven numbers");
    uint32_t* fields[] = {&a.t.t1, &a.t.t2, &a.t.t3, &a.t.t4, &a.t.t5, &a.t.t6, &a.t.t7};
    for (size_t k = 0; k < list->size(); ++k) *fields[k] = (*list)[k];
  }

  const std::span<const uint8_t> params(a.codeAndParams.data() + 1, a.codeAndParams.size() - 1);
  Exchange e;
  e.frame = c.link.CommandFrame(a.codeAndParams[0], params);
  e.answerLength = a.answerLength;
  e.allowShortAnswer = a.allowShort;
  e.decodeResult = a.decode;
  e.timeouts = a.t;
  e.delayMs = a.delay;
  e.withAnswer = !a.noAnswer;
  const int result = c.link.Run(e);
  c.ui.PrintBoxes(c.out);
  c.out << "rezult: " << c.ui.Result() << "\n";
  c.out << "result: " << result << "\n";
  const bool answered = result == kExchangeOk || result == kExchangeNoMoreData ||
                        result == kExchangeDeviceError || result == kExchangeNotSupported;
  if (answered && !a.noAnswer) {
    const std::span<const uint8_t> answer(c.link.AnswerBuffer.data(),
                                          static_cast<size_t>(c.link.AnswerLength));
    c.out << "answer: " << HexBytes(answer) << "\n";
  }
  return result == kExchangeOk ? 0 : 1;
}

const VerbRegistrar kExchange("exchange", kUsage, ExchangeVerb);

}  // namespace
}  // namespace ptk::cli
