#include "support/headless_browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/child_process.h"

extern char** environ;

namespace qxvb::test {

namespace {

constexpr auto kReplyLimit = std::chrono::seconds(30);

// The string value that follows "key": in a message, unescaped.
std::string stringField(const std::string& json, const std::string& key) {
  const std::string marker = "\"" + key + "\":\"";
  const size_t start = json.find(marker);
  if (start == std::string::npos) return {};
  std::string value;
  for (size_t i = start + marker.size(); i < json.size(); ++i) {
    const char c = json[i];
    if (c == '"') return value;
    if (c != '\\' || i + 1 >= json.size()) {
      value += c;
      continue;
    }
    const char e = json[++i];
    switch (e) {
      case 'n':
        value += '\n';
        break;
      case 't':
        value += '\t';
        break;
      case 'u':
        // Only what the tests' pages produce: ASCII escapes.
        if (i + 4 < json.size()) {
          value += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16));
          i += 4;
        }
        break;
      default:
        value += e;
    }
  }
  return value;
}

void closeQuietly(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Moves a descriptor above the ones the browser is given, so placing those
// never overwrites it.
int highDescriptor(int fd) {
  if (fd > 4) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  ::close(fd);
  return moved;
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

HeadlessBrowser::HeadlessBrowser(const std::filesystem::path& profile) {
  int toChild[2];
  int fromChild[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
    throw std::runtime_error("cannot make pipes for the browser");
  }
  for (int* fd : {&toChild[0], &toChild[1], &fromChild[0], &fromChild[1]})
    *fd = highDescriptor(*fd);
  // The browser reads commands from descriptor 3 and answers on 4.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 3);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 4);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const std::string log = (profile / "browser.log").string();
  std::filesystem::create_directories(profile);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const std::vector<std::string> arguments = {"chromium",
                                              "--headless",
                                              "--no-sandbox",
                                              "--disable-gpu",
                                              "--disable-background-networking",
                                              "--disable-component-update",
                                              "--disable-sync",
                                              "--no-first-run",
                                              "--no-default-browser-check",
                                              "--remote-debugging-pipe",
                                              "--window-size=1400,1000",
                                              "--user-data-dir=" + (profile / "data").string(),
                                              "about:blank"};
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid_, "chromium", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(toChild[0]);
  ::close(fromChild[1]);
  toBrowser_ = toChild[1];
  fromBrowser_ = fromChild[0];
  if (spawned != 0) {
    pid_ = -1;
    closeQuietly(toBrowser_);
    closeQuietly(fromBrowser_);
    throw std::runtime_error("cannot start chromium");
  }
}

HeadlessBrowser::~HeadlessBrowser() {
  try {
    if (pid_ > 0) write("{\"id\":" + std::to_string(nextId_++) + ",\"method\":\"Browser.close\"}");
  } catch (const std::exception&) {
    // It is stopped below in any case.
  }
  closeQuietly(toBrowser_);
  closeQuietly(fromBrowser_);
  if (pid_ > 0) stopChild(pid_, std::chrono::seconds(5));
}

void HeadlessBrowser::write(const std::string& message) {
  std::string bytes = message;
  bytes += '\0';
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(toBrowser_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("the browser stopped reading");
    done += static_cast<size_t>(n);
  }
}

std::string HeadlessBrowser::readReply(int id) {
  const std::string marker = "\"id\":" + std::to_string(id) + ",";
  const auto deadline = std::chrono::steady_clock::now() + kReplyLimit;
  for (;;) {
    const size_t end = pending_.find('\0');
    if (end != std::string::npos) {
      std::string message = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (message.rfind("{" + marker, 0) == 0) return message;
      continue;  // an event, or the reply to another command
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("the browser did not answer");
    pollfd poll{fromBrowser_, POLLIN, 0};
    if (::poll(&poll, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[65536];
    const ssize_t n = ::read(fromBrowser_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("the browser closed its pipe");
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

std::string HeadlessBrowser::command(const std::string& method, const std::string& params,
                                     bool inPage) {
  const int id = nextId_++;
  std::string message = "{\"id\":" + std::to_string(id) + ",\"method\":\"" + method + "\"";
  if (!params.empty()) message += ",\"params\":" + params;
  if (inPage) message += ",\"sessionId\":\"" + session_ + "\"";
  write(message + "}");
  const std::string reply = readReply(id);
  if (reply.find("\"error\":") != std::string::npos) {
    throw std::runtime_error(method + " failed: " + reply);
  }
  return reply;
}

void HeadlessBrowser::open(const std::string& url) {
  // The new page starts on a blank document; the address is loaded after
  // attaching, so no script runs before it is there.
  const std::string target =
      stringField(command("Target.createTarget", "{\"url\":\"about:blank\"}", false), "targetId");
  session_ = stringField(
      command("Target.attachToTarget", "{\"targetId\":\"" + target + "\",\"flatten\":true}", false),
      "sessionId");
  command("Page.navigate", "{\"url\":" + jsonString(url) + "}", true);
  if (waitForLocation(url, kReplyLimit) != url) throw std::runtime_error("cannot open " + url);
}

std::string HeadlessBrowser::evaluate(const std::string& expression) {
  const std::string reply = command("Runtime.evaluate",
                                    "{\"expression\":" + jsonString(expression) +
                                        ",\"returnByValue\":true,\"awaitPromise\":true}",
                                    true);
  return stringField(reply, "value");
}

void HeadlessBrowser::click(double x, double y) {
  for (const char* type : {"mouseMoved", "mousePressed", "mouseReleased"}) {
    command("Input.dispatchMouseEvent",
            "{\"type\":\"" + std::string(type) + "\",\"x\":" + std::to_string(x) +
                ",\"y\":" + std::to_string(y) + ",\"button\":\"left\",\"clickCount\":1}",
            true);
  }
}

std::string HeadlessBrowser::waitForLocation(const std::string& suffix,
                                             std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string location;
  for (;;) {
    try {
      location = evaluate("document.readyState === 'complete' ? location.href : ''");
    } catch (const std::runtime_error&) {
      // The page is being replaced; ask again.
      location.clear();
    }
    const bool arrived =
        location.size() >= suffix.size() &&
        location.compare(location.size() - suffix.size(), suffix.size(), suffix) == 0;
    if (arrived || std::chrono::steady_clock::now() >= deadline) return location;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace qxvb::test
