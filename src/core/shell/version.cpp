#include "core/shell/version.h"

namespace ptk {

std::vector<uint8_t> VersionFrame(const Link& link, uint8_t source) {
  return link.CommandFrame(kCmdVersion, {source});
}

int QueryVersion(Link& link, uint8_t source) {
  return link.Run(
      Exchange::ShortAnswer(VersionFrame(link, source), kVersionAnswerLength, kVersionDelayMs));
}

VersionInfo DecodeVersion(std::span<const uint8_t> answerBuffer, int answerLength) {
  // The payload is [1 .. answerLength - 3]; anything past it reads as zero.
  auto at = [&](size_t i) -> unsigned {
    long last = static_cast<long>(answerLength) - 3;
    if (i < 1 || static_cast<long>(i) > last || i >= answerBuffer.size()) return 0;
    return answerBuffer[i];
  };
  VersionInfo v;
  v.version = at(3) | (at(4) << 8);
  v.language = at(5);
  v.subversion = at(6) | (at(7) << 8);
  return v;
}

std::vector<std::string> ShowVersion(std::span<const uint8_t> answerBuffer, int answerLength) {
  VersionInfo v = DecodeVersion(answerBuffer, answerLength);
  return {"Версия: " + std::to_string(v.version), "Подверсия: " + std::to_string(v.subversion),
          "Код языка: " + std::to_string(v.language)};
}

std::vector<std::string> ShowVersion(const Link& link) {
  return ShowVersion(link.AnswerBuffer, link.AnswerLength);
}

}  // namespace ptk
