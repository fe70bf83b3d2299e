// A progress line on standard error for long runs, drawn only when standard
// error is a terminal; messages printed while it runs go above it.
#pragma once

#include <cstddef>
#include <string>

namespace qxrepo {

class Progress {
 public:
  explicit Progress(size_t total);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();

  // One more item done; name is the item just finished.
  void step(const std::string& name);
  // Prints a message line on standard error without garbling the bar.
  void message(const std::string& text);

 private:
  void draw() const;
  void clear() const;

  size_t total_;
  size_t done_ = 0;
  std::string current_;
  bool shown_;
};

}  // namespace qxrepo
