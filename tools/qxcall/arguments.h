// Turns qxcall's command-line argument forms into Variants.
#pragma once

#include <string>
#include <vector>

#include "frame/variant.h"

namespace qxcall {

// s:TEXT String, i:N Integer, l:N Long, d:X Double, b:true|false Boolean,
// n: Null, e: left out, x:HEX byte array, sa:A|B|C string array,
// va:F;F variant array of items in these forms, col:F;F a Collection,
// lines:FILE a Collection of the lines of FILE (- standard input),
// o:PROGID a new object, esc:TEXT a String with backslash escapes (\0 for
// NUL), rec:TYPE|FIELD=F|... a record,
// err:NUMBER|SOURCE|DESCRIPTION[|HELPFILE|HELPCONTEXT]
// an error object; anything else is a String. Throws std::invalid_argument
// with a message for a malformed form.
qxvb::Variant parseArgument(const std::string& text);

// The form that stands for the previous call's result (Empty before the
// first call); the caller replaces it, as only it knows that result.
inline constexpr const char* kPreviousResult = "r:";
// The prefix of the form that stands for a value kept under a name.
inline constexpr const char* kKeptValue = "v:";

// The command line's words after the program name, with each "--args FILE"
// replaced by the lines of FILE (- standard input), empty lines left out.
// Throws std::invalid_argument for a file that cannot be read, or for
// standard input read twice.
std::vector<std::string> expandArgumentFiles(int argc, char** argv);

extern const char* const kArgumentHelp;

}  // namespace qxcall
