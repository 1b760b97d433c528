// The register's paper tape: every printed line, in order, as UTF-8 text. Optionally
// mirrored into a file, one line appended and flushed as it is printed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ptk::emu {

class PaperTape {
 public:
  PaperTape() = default;
  ~PaperTape();
  PaperTape(const PaperTape&) = delete;
  PaperTape& operator=(const PaperTape&) = delete;

  // Appends to the file from now on (the file is created when missing); false when it
  // cannot be opened.
  bool MirrorTo(const std::string& path);

  void Print(std::string line);
  std::vector<std::string> Lines() const;
  // The lines from index first on (empty when there are no more): lets a viewer that
  // polls the tape copy only what is new.
  std::vector<std::string> LinesFrom(size_t first) const;
  size_t LineCount() const;
  void Clear();
  // Called after every printed line, on the printing thread; keep it short (post a
  // message). Setting another one (or none) waits for a call in progress.
  void SetListener(std::function<void()> listener);

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::FILE* file_ = nullptr;
  std::function<void()> listener_;
};

}  // namespace ptk::emu
