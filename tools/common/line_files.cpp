#include "line_files.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace qxtools {

namespace {

bool standardInputRead = false;

}  // namespace

std::vector<std::string> readLines(const std::string& file) {
  std::ifstream named;
  if (file == "-") {
    if (standardInputRead) throw std::invalid_argument("standard input is read only once");
    standardInputRead = true;
  } else {
    named.open(file, std::ios::binary);
    if (!named) throw std::invalid_argument("cannot read " + file);
  }
  std::istream& in = file == "-" ? std::cin : named;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace qxtools
