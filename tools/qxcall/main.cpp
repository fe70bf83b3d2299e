// qxcall: the command-line automation client. It creates a class by ProgID
// or class identifier exactly as an automation caller would, calls a member
// late-bound and prints the result and every argument after the call.
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "arguments.h"
#include "event_answers.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/events.h"
#include "frame/module_state.h"
#include "json_writer.h"
#include "ui/app/gui_thread.h"

namespace {

using qxvb::Variant;

const char* const kUsage =
    "usage: qxcall [--json] [--as NAME] PROGID|{CLSID} [--put] [--as NAME] MEMBER [ARG ...]\n"
    "              [-- MEMBER ... | ++ MEMBER ... | == [--as NAME] PROGID MEMBER ...\n"
    "               | @@ NAME MEMBER ...]...\n"
    "\n"
    "Creates the class, calls MEMBER late-bound (as a method or property get; with\n"
    "--put, as a property assignment whose last argument is the value) and prints\n"
    "the result and the value of every argument after the call.\n"
    "\"--\" starts another call on the same object; \"++\" starts a call on the\n"
    "object the previous call returned; \"==\" starts a call on a new object of\n"
    "another class; \"@@ NAME\" starts a call on the object kept under NAME.\n"
    "\"--as NAME\" before a PROGID keeps the new object under NAME, before a MEMBER\n"
    "the call's result; the argument v:NAME passes what NAME keeps.\n"
    "Events the called objects raise are printed as they happen, one JSON object\n"
    "per line: {\"event\": NAME, \"object\": CLASS, \"args\": [V, ...]}.\n"
    "All calls run on one thread of the library: it loads at start and unloads\n"
    "at exit.\n"
    "\n"
    "The pseudo-member @wait keeps the library's windows alive between calls:\n"
    "\"-- @wait\" runs their events until every window is closed or hidden,\n"
    "\"-- @wait MS\" runs them for MS milliseconds.\n"
    "The pseudo-member @answer answers later events whose arguments are passed\n"
    "by reference: \"-- @answer EVENT N=FORM ... [if N~GLOB]\" sets argument N\n"
    "(from 1) to FORM when argument N of the if part matches the shell pattern\n"
    "GLOB (always without if); the first answer that applies wins.\n"
    "\n"
    "  --json       print one JSON object per call: {\"result\": V, \"args\": [V, ...]};\n"
    "               an automation error prints {\"error\": {\"number\": N, \"source\": ...,\n"
    "               \"description\": ...}} and exits 1\n"
    "  --args FILE  (anywhere) further words of the command line from FILE, one per\n"
    "               line, empty lines left out; - reads standard input\n"
    "\n"
    "Argument forms:\n";

struct Call {
  bool onResult = false;   // call the object the previous call returned
  std::string newTarget;   // call a new object of this class
  std::string newName;     // keep that new object under this name
  std::string keptTarget;  // call the object kept under this name
  bool put = false;
  std::string resultName;  // keep the result under this name
  std::string member;
  std::vector<std::string> args;
};

struct Options {
  bool json = false;
  std::vector<Call> calls;  // the first one's newTarget is the first object
};

// "--as NAME" at words[i]: takes the name and moves past it.
bool takeName(const std::vector<std::string>& words, size_t& i, std::string& name) {
  if (words[i] != "--as") return false;
  if (i + 1 >= words.size() || words[i + 1].empty())
    throw std::invalid_argument("--as needs a NAME");
  name = words[++i];
  return true;
}

Options parseCommandLine(const std::vector<std::string>& words) {
  Options o;
  Call current;
  size_t i = 0;
  for (; i < words.size() && words[i].rfind("--", 0) == 0 && words[i] != "--"; ++i) {
    if (words[i] == "--json") {
      o.json = true;
    } else if (words[i] == "--help") {
      throw std::invalid_argument("");
    } else if (!takeName(words, i, current.newName)) {
      throw std::invalid_argument("unknown option " + words[i]);
    }
  }
  if (i >= words.size()) throw std::invalid_argument("missing PROGID");
  current.newTarget = words[i++];
  const auto finish = [&] {
    if (current.member.empty()) throw std::invalid_argument("missing MEMBER");
    o.calls.push_back(current);
  };
  for (; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--" || word == "++" || word == "==" || word == "@@") {
      finish();
      current = Call{};
      current.onResult = word == "++";
      if (word == "==") {
        if (++i < words.size() && takeName(words, i, current.newName)) ++i;
        if (i >= words.size()) throw std::invalid_argument("missing PROGID after ==");
        current.newTarget = words[i];
      } else if (word == "@@") {
        if (++i >= words.size()) throw std::invalid_argument("missing NAME after @@");
        current.keptTarget = words[i];
      }
    } else if (current.member.empty() && word == "--put") {
      current.put = true;
    } else if (current.member.empty() && takeName(words, i, current.resultName)) {
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

// Prints each event of the objects qxcall calls, once per object, then
// gives the answers asked for.
class EventPrinter {
 public:
  void answer(qxcall::EventAnswer a) { answers_->push_back(std::move(a)); }

  void watch(const qxvb::Object& object) {
    if (!object || object->events() == nullptr || !watched_.insert(object.get()).second) return;
    const std::string source = qxcall::jsonString(std::string(object->className()));
    object->events()->advise(std::make_shared<qxvb::FunctionSink>(
        [source, answers = answers_](std::string_view name, std::vector<Variant>& args) {
          std::string line = "{\"event\": " + qxcall::jsonString(std::string(name)) +
                             ", \"object\": " + source + ", \"args\": [";
          for (size_t i = 0; i < args.size(); ++i) {
            line += (i > 0 ? ", " : "") + qxcall::toJson(args[i]);
          }
          std::cout << line << "]}" << std::endl;
          qxcall::applyAnswers(*answers, name, args);
        }));
  }

 private:
  std::set<const qxvb::Dispatch*> watched_;
  std::shared_ptr<std::vector<qxcall::EventAnswer>> answers_ =
      std::make_shared<std::vector<qxcall::EventAnswer>>();
};

const Variant& keptValue(const std::map<std::string, Variant>& kept, const std::string& name) {
  const auto it = kept.find(name);
  if (it == kept.end()) throw std::invalid_argument("nothing is kept under the name " + name);
  return it->second;
}

qxvb::Object objectIn(const Variant& value) {
  const auto* object = value.get<qxvb::Object>();
  if (object == nullptr || !*object) qxvb::raiseVbError(qxvb::vberr::ObjectRequired);
  return *object;
}

int run(const Options& o) {
  qxvb::Object target;
  Variant last;
  std::map<std::string, Variant> kept;
  EventPrinter events;
  for (const Call& call : o.calls) {
    if (call.onResult) target = objectIn(last);
    if (!call.keptTarget.empty()) target = objectIn(keptValue(kept, call.keptTarget));
    if (!call.newTarget.empty()) {
      target = qxvb::createObject(call.newTarget);
      if (!call.newName.empty()) kept[call.newName] = Variant(target);
    }
    if (call.member == "@wait") {
      last = waitForWindows(call.args);
      continue;
    }
    if (call.member == "@answer") {
      events.answer(qxcall::parseAnswer(call.args));
      continue;
    }
    events.watch(target);
    std::vector<Variant> args;
    for (const auto& a : call.args) {
      if (a == qxcall::kPreviousResult) {
        args.push_back(last);
      } else if (a.rfind(qxcall::kKeptValue, 0) == 0) {
        args.push_back(keptValue(kept, a.substr(std::string(qxcall::kKeptValue).size())));
      } else {
        args.push_back(qxcall::parseArgument(a));
      }
    }
    uint8_t kinds = qxvb::kMethod | qxvb::kPropertyGet;
    if (call.put) {
      const bool isObject = !args.empty() && args.back().type() == qxvb::VarType::Object;
      kinds = isObject ? qxvb::kPropertyPutRef : qxvb::kPropertyPut;
    }
    last = target->invoke(call.member, kinds, args);
    if (!call.resultName.empty()) kept[call.resultName] = last;
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
    options = parseCommandLine(qxcall::expandArgumentFiles(argc, argv));
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
