#include "core/shell/script.h"

#include <charconv>

namespace ptk {
namespace {

constexpr int kMaxMs = 24 * 60 * 60 * 1000;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits off the first word; the rest starts after the single blank that ends the word.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view s) {
  size_t end = 0;
  while (end < s.size() && !IsBlank(s[end])) ++end;
  std::string_view rest = end < s.size() ? s.substr(end + 1) : std::string_view{};
  return {s.substr(0, end), rest};
}

std::optional<int> ParseInt(std::string_view s, int min, int max) {
  int value = 0;
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value);
  if (s.empty() || ec != std::errc() || ptr != end || value < min || value > max)
    return std::nullopt;
  return value;
}

ScriptStep Invalid(ScriptStep step, std::string why) {
  step.kind = StepKind::Invalid;
  step.error = std::move(why);
  return step;
}

// "W.C", "W" or (for `set` and `click`) "W.C[ROW,COL]" into the step; false with step.error set.
bool ParseTarget(ScriptStep& step, std::string_view target, bool needControl, bool allowCell) {
  if (target.empty()) {
    step.error = needControl ? "не указан элемент: нужно ОКНО.ЭЛЕМЕНТ" : "не указано окно";
    return false;
  }
  const size_t dot = target.find('.');
  if (dot == std::string_view::npos) {
    if (needControl) {
      step.error = "не указан элемент: нужно ОКНО.ЭЛЕМЕНТ, а не " + std::string(target);
      return false;
    }
    step.window = std::string(target);
    return true;
  }
  std::string_view control = target.substr(dot + 1);
  step.window = std::string(target.substr(0, dot));
  if (allowCell && !control.empty() && control.back() == ']') {
    const size_t open = control.find('[');
    const std::string_view cell = open == std::string_view::npos
                                      ? std::string_view{}
                                      : control.substr(open + 1, control.size() - open - 2);
    const size_t comma = cell.find(',');
    std::optional<int> row, column;
    if (comma != std::string_view::npos) {
      row = ParseInt(cell.substr(0, comma), 0, 1 << 20);
      column = ParseInt(cell.substr(comma + 1), 0, 1 << 20);
    }
    if (!row || !column) {
      step.error = "неверная ячейка: " + std::string(control);
      return false;
    }
    step.row = *row;
    step.column = *column;
    control = control.substr(0, open);
  }
  if (step.window.empty() || control.empty()) {
    step.error = "неверное имя: " + std::string(target);
    return false;
  }
  step.control = std::string(control);
  return true;
}

std::optional<Answer> ParseAnswer(std::string_view word) {
  if (word == "yes") return Answer::Yes;
  if (word == "no") return Answer::No;
  if (word == "ok") return Answer::Ok;
  if (word == "cancel") return Answer::Cancel;
  return std::nullopt;
}

}  // namespace

std::string ScriptStep::Target() const {
  std::string t = window;
  if (!control.empty()) t += "." + control;
  if (row >= 0) t += "[" + std::to_string(row) + "," + std::to_string(column) + "]";
  return t;
}

std::optional<ScriptStep> ParseScriptLine(std::string_view line, int lineNumber) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  if (start == line.size() || line[start] == '#') return std::nullopt;

  ScriptStep step;
  step.line = lineNumber;
  step.text = std::string(line);
  const auto [keyword, rest] = FirstWord(line.substr(start));

  if (keyword == "menu") {
    const auto [item, extra] = FirstWord(rest);
    if (item.empty()) return Invalid(std::move(step), "не указан пункт меню");
    if (!extra.empty()) return Invalid(std::move(step), "лишнее после шага: " + std::string(extra));
    step.kind = StepKind::Menu;
    step.window = std::string(item);
    return step;
  }
  if (keyword == "type" || keyword == "set" || keyword == "click" || keyword == "key" ||
      keyword == "show" || keyword == "state" || keyword == "close") {
    const auto [target, value] = FirstWord(rest);
    const bool isSet = keyword == "set";
    const bool windowOnly = keyword == "close";
    const bool windowAllowed = windowOnly || keyword == "show" || keyword == "state";
    const bool cellAllowed = isSet || keyword == "click";
    if (!ParseTarget(step, target, !windowAllowed, cellAllowed)) {
      std::string why = step.error;
      return Invalid(std::move(step), std::move(why));
    }
    if (windowOnly && !step.control.empty()) {
      return Invalid(std::move(step), "закрыть можно только окно, а не " + std::string(target));
    }
    step.value = std::string(value);
    if (keyword == "type") {
      step.kind = StepKind::Type;
    } else if (isSet) {
      step.kind = StepKind::Set;
    } else if (keyword == "key") {
      if (step.value.empty()) return Invalid(std::move(step), "не указана клавиша");
      step.kind = StepKind::Key;
    } else if (!step.value.empty()) {
      return Invalid(std::move(step), "лишнее после шага: " + step.value);
    } else if (keyword == "click") {
      step.kind = StepKind::Click;
    } else if (keyword == "show") {
      step.kind = StepKind::Show;
    } else if (keyword == "state") {
      step.kind = StepKind::State;
    } else {
      step.kind = StepKind::Close;
    }
    return step;
  }
  if (keyword == "list") {
    if (!rest.empty()) return Invalid(std::move(step), "лишнее после шага: " + std::string(rest));
    step.kind = StepKind::List;
    return step;
  }
  if (keyword == "answer") {
    const auto [word, more] = FirstWord(rest);
    const std::optional<Answer> answer = ParseAnswer(word);
    if (!answer) {
      return Invalid(std::move(step),
                     "ответ должен быть yes, no, ok или cancel: " + std::string(word));
    }
    step.answer = *answer;
    const auto [count, extra] = FirstWord(more);
    if (!count.empty()) {
      const std::optional<int> n = ParseInt(count, 1, 1000000);
      if (!n || !extra.empty()) {
        return Invalid(std::move(step), "ожидалось число ответов: " + std::string(more));
      }
      step.count = *n;
    }
    step.kind = StepKind::Answer;
    return step;
  }
  if (keyword == "file") {
    if (rest.empty()) return Invalid(std::move(step), "не указан путь");
    step.value = std::string(rest);
    step.cancel = rest == "-";
    step.kind = StepKind::File;
    return step;
  }
  if (keyword == "wait" || keyword == "later") {
    const auto [number, more] = FirstWord(rest);
    const std::optional<int> ms = ParseInt(number, 0, kMaxMs);
    if (!ms) return Invalid(std::move(step), "ожидалось число миллисекунд: " + std::string(number));
    step.ms = *ms;
    if (keyword == "wait") {
      if (!more.empty()) return Invalid(std::move(step), "лишнее после шага: " + std::string(more));
      step.kind = StepKind::Wait;
      return step;
    }
    std::optional<ScriptStep> inner = ParseScriptLine(more, lineNumber);
    if (!inner) return Invalid(std::move(step), "не указан шаг после числа миллисекунд");
    if (inner->kind == StepKind::Invalid) return Invalid(std::move(step), std::move(inner->error));
    if (inner->kind == StepKind::Later) {
      return Invalid(std::move(step), "шаг later не может содержать later");
    }
    step.inner = std::make_shared<const ScriptStep>(std::move(*inner));
    step.kind = StepKind::Later;
    return step;
  }
  return Invalid(std::move(step), "неизвестный шаг: " + std::string(keyword));
}

std::vector<ScriptStep> ParseScript(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<ScriptStep> steps;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (std::optional<ScriptStep> step = ParseScriptLine(line, lineNumber))
      steps.push_back(std::move(*step));
  }
  return steps;
}

std::string EscapeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else if (text[i] == '\n') {
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string_view AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return "ok";
    case Answer::Cancel:
      return "cancel";
    case Answer::Yes:
      return "yes";
    case Answer::No:
      return "no";
  }
  return "ok";
}

}  // namespace ptk
