// Per-thread module state and the library's load procedure. The library is
// apartment-threaded: each thread that uses it has its own string table
// object, default instances and shared helper objects, never shared.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "frame/variant.h"

namespace qxvb {

// Runs the load procedure on the calling thread unless it has run: creates
// the string table object and points it at the string-table folder.
void ensureThreadLoaded();

// Unloads the library from the calling thread: releases default instances
// and shared objects, runs the unload hooks, releases the string table.
// Also runs when the thread ends.
void unloadThread();

bool threadLoaded();

// The calling thread's string table object (loading first if needed).
Object stringTableObject();

// A per-thread shared object of the library, created on first use and kept
// until the library unloads from the thread.
Object sharedObject(std::string_view key, const std::function<Object()>& create);

// Runs hook when the library unloads from the calling thread, after the
// shared objects have been released.
void atThreadUnload(std::function<void()> hook);

// The library file as it was loaded (by its versioned name when installed).
std::string libraryPath();
// The folder the library was loaded from, without a trailing separator.
std::string libraryFolder();

// The folder of the installed data files (string table, labels), found from
// the library's folder; empty in a build that is not installed.
std::string installedDataFolder();

// The string-table folder for a library folder: if "/QXVBUtils" occurs in
// it (ignoring case) at position p, the first p characters followed by
// "win32/bin"; otherwise the library folder itself.
std::string stringTableFolderFor(std::string_view libraryFolder);

}  // namespace qxvb
