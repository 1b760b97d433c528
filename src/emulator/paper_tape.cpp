#include "emulator/paper_tape.h"

namespace ptk::emu {

PaperTape::~PaperTape() {
  if (file_) std::fclose(file_);
}

bool PaperTape::MirrorTo(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "ab");
  return file_ != nullptr;
}

void PaperTape::Print(std::string line) {
  std::lock_guard lock(mutex_);
  if (file_) {
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
  }
  lines_.push_back(std::move(line));
  if (listener_) listener_();
}

void PaperTape::SetListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

std::vector<std::string> PaperTape::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> PaperTape::LinesFrom(size_t first) const {
  std::lock_guard lock(mutex_);
  if (first >= lines_.size()) return {};
  return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                                  lines_.end());
}

size_t PaperTape::LineCount() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

void PaperTape::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace ptk::emu
