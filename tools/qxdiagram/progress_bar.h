// A progress bar on the terminal: one line redrawn in place on standard
// error, only when standard error is a terminal.
#pragma once

#include <string>

namespace qxdiagram {

class ProgressBar {
 public:
  ProgressBar(int total, bool enabled);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  ~ProgressBar();

  // Shows done of total, with the item being worked on.
  void show(int done, const std::string& item);
  // Ends the line, so later output starts on a line of its own.
  void finish();

 private:
  int total_;
  bool enabled_;
  bool drawn_ = false;
};

// The bar's line for a terminal of width columns: "[####....] 3/10 item",
// the item cut to fit.
std::string progressLine(int done, int total, const std::string& item, int width);

}  // namespace qxdiagram
