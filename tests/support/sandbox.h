// A private state folder for tests: XDG folders, the machine folder and
// the temporary folder all point below it, so no test touches real files.
#pragma once

#include <filesystem>
#include <string>

namespace qxvb::test {

// The sandbox root of this test program, created by the test main.
const std::filesystem::path& sandboxRoot();

// A fresh, empty folder below the sandbox root.
std::filesystem::path freshFolder(const std::string& hint);

// Reads a whole file as bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace qxvb::test
