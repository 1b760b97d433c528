// Records every box and result-line write; answers questions from a script.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/user_interface.h"

namespace ptk::test {

struct RecordedBox {
  std::string caption;
  std::string text;
  Icon icon;
  Buttons buttons;
};

class RecordingUi final : public UserInterface {
 public:
  Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                 Buttons buttons) override {
    boxes.push_back({std::string(caption), std::string(text), icon, buttons});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (!answers.empty()) {
      Answer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
  }
  std::optional<std::string> AskFile(const FileRequest& request) override {
    fileRequests.push_back(request);
    if (files.empty()) return std::nullopt;
    std::optional<std::string> path = files.front();
    files.pop_front();
    return path;
  }
  void SetResult(std::string_view text) override {
    result = std::string(text);
    resultHistory.push_back(result);
  }
  std::string Result() const override { return result; }
  bool PumpMessages() override {
    ++pumps;
    if (onPump) onPump();  // what a person does while an exchange waits
    return !quitting;
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> v;
    for (const auto& b : boxes) v.push_back(b.text);
    return v;
  }

  std::vector<RecordedBox> boxes;
  std::deque<Answer> answers;  // scripted answers to Yes/No and Ok/Cancel boxes
  std::vector<FileRequest> fileRequests;
  std::deque<std::optional<std::string>> files;  // scripted dialog answers (nullopt: cancel)
  std::string result;
  std::vector<std::string> resultHistory;
  int pumps = 0;
  bool quitting = false;
  std::function<void()> onPump;
};

}  // namespace ptk::test
