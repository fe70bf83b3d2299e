// qxcall: the command-line automation client. It creates a class by ProgID
// or class identifier exactly as an automation caller would, calls a member
// late-bound and prints the result and every argument after the call.
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "arguments.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/module_state.h"
#include "json_writer.h"
#include "ui/app/gui_thread.h"

namespace {

using qxvb::Variant;

const char* const kUsage =
    "usage: qxcall [--json] PROGID|{CLSID} [--put] MEMBER [ARG ...]\n"
    "              [-- MEMBER [ARG ...] | ++ MEMBER [ARG ...] | == PROGID MEMBER [ARG ...]]...\n"
    "\n"
    "Creates the class, calls MEMBER late-bound (as a method or property get; with\n"
    "--put, as a property assignment whose last argument is the value) and prints\n"
    "the result and the value of every argument after the call.\n"
    "\"--\" starts another call on the same object; \"++\" starts a call on the\n"
    "object the previous call returned; \"==\" starts a call on a new object of\n"
    "another class. All calls run on one thread of the library: it loads at start\n"
    "and unloads at exit.\n"
    "\n"
    "The pseudo-member @wait keeps the library's windows alive between calls:\n"
    "\"-- @wait\" runs their events until every window is closed or hidden,\n"
    "\"-- @wait MS\" runs them for MS milliseconds.\n"
    "\n"
    "  --json   print one JSON object per call: {\"result\": V, \"args\": [V, ...]};\n"
    "           an automation error prints {\"error\": {\"number\": N, \"source\": ...,\n"
    "           \"description\": ...}} and exits 1\n"
    "\n"
    "Argument forms:\n";

struct Call {
  bool onResult = false;  // call the object the previous call returned
  std::string newTarget;  // call a new object of this class
  bool put = false;
  std::string member;
  std::vector<std::string> args;
};

struct Options {
  bool json = false;
  std::string target;
  std::vector<Call> calls;
};

Options parseCommandLine(int argc, char** argv) {
  Options o;
  int i = 1;
  for (; i < argc && std::string(argv[i]).rfind("--", 0) == 0 && std::string(argv[i]) != "--";
       ++i) {
    const std::string flag = argv[i];
    if (flag == "--json")
      o.json = true;
    else if (flag == "--help")
      throw std::invalid_argument("");
    else
      throw std::invalid_argument("unknown option " + flag);
  }
  if (i >= argc) throw std::invalid_argument("missing PROGID");
  o.target = argv[i++];
  Call current;
  const auto finish = [&] {
    if (current.member.empty()) throw std::invalid_argument("missing MEMBER");
    o.calls.push_back(current);
  };
  for (; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--" || word == "++" || word == "==") {
      finish();
      current = Call{};
      current.onResult = word == "++";
      if (word == "==") {
        if (++i >= argc) throw std::invalid_argument("missing PROGID after ==");
        current.newTarget = argv[i];
      }
    } else if (current.member.empty() && word == "--put") {
      current.put = true;
    } else if (current.member.empty()) {
      current.member = word;
    } else {
      current.args.push_back(word);
    }
  }
  finish();
  return o;
}

void printPlain(const Variant& result, const std::vector<Variant>& args) {
  std::cout << "result: " << qxcall::toJson(result) << "\n";
  for (size_t i = 0; i < args.size(); ++i) {
    std::cout << "arg " << (i + 1) << ": " << qxcall::toJson(args[i]) << "\n";
  }
}

void printJson(const Variant& result, const std::vector<Variant>& args) {
  std::string out = "{\"result\": " + qxcall::toJson(result) + ", \"args\": [";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) out += ", ";
    out += qxcall::toJson(args[i]);
  }
  std::cout << out << "]}\n";
}

void printError(bool json, const qxvb::AutomationError& e) {
  if (json) {
    std::cout << "{\"error\": {\"number\": " << e.number()
              << ", \"source\": " << qxcall::jsonString(e.source())
              << ", \"description\": " << qxcall::jsonString(e.description()) << "}}\n";
  } else {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(e.number()));
    std::cerr << "error " << e.number() << " (0x" << hex << ") from " << e.source() << ": "
              << e.description() << "\n";
  }
}

// The result of @wait: whether the windows were all closed (without a
// time given), or True after the time given.
Variant waitForWindows(const std::vector<std::string>& args) {
  constexpr int kLongestWait = 30 * 60 * 1000;
  if (args.empty()) return Variant(qxvb::gui::processEventsWhileWindowsShown(kLongestWait));
  qxvb::gui::processEventsFor(std::stoi(args[0]));
  return Variant(true);
}

int run(const Options& o) {
  qxvb::Object target = qxvb::createObject(o.target);
  Variant last;
  for (const Call& call : o.calls) {
    if (call.onResult) {
      const auto* next = last.get<qxvb::Object>();
      if (next == nullptr || !*next) qxvb::raiseVbError(qxvb::vberr::ObjectRequired);
      target = *next;
    }
    if (!call.newTarget.empty()) target = qxvb::createObject(call.newTarget);
    if (call.member == "@wait") {
      last = waitForWindows(call.args);
      continue;
    }
    std::vector<Variant> args;
    for (const auto& a : call.args) {
      args.push_back(a == qxcall::kPreviousResult ? last : qxcall::parseArgument(a));
    }
    uint8_t kinds = qxvb::kMethod | qxvb::kPropertyGet;
    if (call.put) {
      const bool isObject = !args.empty() && args.back().type() == qxvb::VarType::Object;
      kinds = isObject ? qxvb::kPropertyPutRef : qxvb::kPropertyPut;
    }
    last = target->invoke(call.member, kinds, args);
    if (o.json)
      printJson(last, args);
    else
      printPlain(last, args);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parseCommandLine(argc, argv);
  } catch (const std::invalid_argument& e) {
    if (e.what()[0] != '\0') std::cerr << "qxcall: " << e.what() << "\n\n";
    std::cerr << kUsage << qxcall::kArgumentHelp;
    return e.what()[0] != '\0' ? 2 : 0;
  }
  int rc = 0;
  try {
    rc = run(options);
  } catch (const qxvb::AutomationError& e) {
    printError(options.json, e);
    rc = 1;
  } catch (const std::invalid_argument& e) {
    std::cerr << "qxcall: " << e.what() << "\n";
    rc = 2;
  }
  qxvb::unloadThread();
  return rc;
}
