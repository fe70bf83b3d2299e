#include "event_answers.h"

#include <fnmatch.h>

#include <stdexcept>

#include "arguments.h"
#include "frame/vb_conversions.h"
#include "platform/text/ascii.h"

namespace qxcall {

namespace {

size_t argumentNumber(const std::string& text) {
  size_t used = 0;
  unsigned long n = 0;
  try {
    n = std::stoul(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || n == 0 || n > 64) {
    throw std::invalid_argument("@answer: bad argument number " + text);
  }
  return n - 1;
}

}  // namespace

EventAnswer parseAnswer(const std::vector<std::string>& words) {
  if (words.empty()) throw std::invalid_argument("@answer needs an EVENT");
  EventAnswer a;
  a.event = words[0];
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "if") {
      if (i + 2 != words.size()) throw std::invalid_argument("@answer: \"if N~GLOB\" comes last");
      const std::string& test = words[i + 1];
      const size_t tilde = test.find('~');
      if (tilde == std::string::npos) throw std::invalid_argument("@answer: if needs N~GLOB");
      a.testedArgument = argumentNumber(test.substr(0, tilde));
      a.pattern = test.substr(tilde + 1);
      break;
    }
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos) throw std::invalid_argument("@answer: expected N=FORM");
    a.values.emplace_back(argumentNumber(words[i].substr(0, equals)),
                          parseArgument(words[i].substr(equals + 1)));
  }
  if (a.values.empty()) throw std::invalid_argument("@answer needs at least one N=FORM");
  return a;
}

void applyAnswers(const std::vector<EventAnswer>& answers, std::string_view event,
                  std::vector<qxvb::Variant>& args) {
  for (const EventAnswer& a : answers) {
    if (!qxvb::ascii::equalsIgnoreCase(a.event, event)) continue;
    if (!a.pattern.empty()) {
      if (a.testedArgument >= args.size()) continue;
      std::string text;
      try {
        text = qxvb::CStr(args[a.testedArgument]);
      } catch (const std::exception&) {
        continue;
      }
      if (::fnmatch(a.pattern.c_str(), text.c_str(), 0) != 0) continue;
    }
    for (const auto& [index, value] : a.values) {
      if (index < args.size()) args[index] = value;
    }
    return;
  }
}

}  // namespace qxcall
