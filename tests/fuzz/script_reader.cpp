// The script reader of scripted runs: any text as a script, and any single line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/shell/script.h"
#include "fuzz_input.h"

namespace {

using namespace ptk;

void CheckStep(const ScriptStep& step, int lines) {
  PTK_FUZZ_CHECK(step.line >= 1 && step.line <= lines);
  PTK_FUZZ_CHECK(step.text.find('\n') == std::string::npos);
  if (step.kind == StepKind::Invalid) PTK_FUZZ_CHECK(!step.error.empty());
  PTK_FUZZ_CHECK((step.row < 0) == (step.column < 0));
  PTK_FUZZ_CHECK(step.count >= 0 && step.ms >= 0);
  if (step.kind == StepKind::Later) {
    PTK_FUZZ_CHECK(step.inner != nullptr);
    CheckStep(*step.inner, lines);
  }
  step.Target();
  const std::string escaped = EscapeLineBreaks(step.value);
  PTK_FUZZ_CHECK(escaped.find('\n') == std::string::npos);
  AnswerName(step.answer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(std::span<const uint8_t>(data, size));
  int lines = 1;
  for (char c : text) lines += c == '\n';
  const std::vector<ScriptStep> steps = ParseScript(text);
  PTK_FUZZ_CHECK(steps.size() <= static_cast<size_t>(lines));
  int previous = 0;
  for (const ScriptStep& step : steps) {
    CheckStep(step, lines);
    PTK_FUZZ_CHECK(step.line > previous);
    previous = step.line;
  }
  // The first line alone, as the reader sees each.
  const std::string_view first = text.substr(0, text.find('\n'));
  if (const auto step = ParseScriptLine(first, 1)) CheckStep(*step, 1);
  return 0;
}
