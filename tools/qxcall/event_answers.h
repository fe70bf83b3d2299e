// The answers qxcall gives to events with arguments passed by reference:
// "@answer EVENT N=FORM ... [if N~GLOB]" sets argument N (from 1) of every
// later EVENT to the value FORM stands for, when argument N of the "if"
// part (as text) matches the shell pattern GLOB, or always without one.
// The first answer that applies wins.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/variant.h"

namespace qxcall {

struct EventAnswer {
  std::string event;
  std::vector<std::pair<size_t, qxvb::Variant>> values;  // 0-based argument, value
  size_t testedArgument = 0;
  std::string pattern;  // empty: always
};

// Throws std::invalid_argument for a malformed answer.
EventAnswer parseAnswer(const std::vector<std::string>& words);

// Applies the first answer for the event whose condition holds.
void applyAnswers(const std::vector<EventAnswer>& answers, std::string_view event,
                  std::vector<qxvb::Variant>& args);

}  // namespace qxcall
