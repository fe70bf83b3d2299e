// A real browser for tests of web pages: headless Chromium from the
// distribution, driven over its DevTools protocol on a pair of pipes (no
// network port), with a profile folder of its own. Pages are opened from
// file: URLs; the browser's own network features are switched off.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace qxvb::test {

class HeadlessBrowser {
 public:
  // Starts the browser; raises std::runtime_error when it cannot.
  explicit HeadlessBrowser(const std::filesystem::path& profile);
  HeadlessBrowser(const HeadlessBrowser&) = delete;
  HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;
  ~HeadlessBrowser();

  // Opens the URL in a new page and waits until it has loaded.
  void open(const std::string& url);
  // The value of a script expression in the page, which must give a string.
  std::string evaluate(const std::string& expression);
  // A left click at a point of the page's viewport, as a mouse makes it.
  void click(double x, double y);
  // The page's address, waiting up to limit for it to end with suffix.
  std::string waitForLocation(const std::string& suffix, std::chrono::milliseconds limit);

 private:
  std::string command(const std::string& method, const std::string& params, bool inPage);
  void write(const std::string& message);
  std::string readReply(int id);

  pid_t pid_ = -1;
  int toBrowser_ = -1;
  int fromBrowser_ = -1;
  int nextId_ = 1;
  std::string pending_;  // bytes read past the last whole message
  std::string session_;
};

// A text as a JSON string literal.
std::string jsonString(const std::string& text);

}  // namespace qxvb::test
