// The registry store: the library's own keys-and-values database standing in
// for the Windows registry. One SQLite database per root key; every call
// names its key by root and "\"-separated path and answers a Windows error
// code, so the registry members can keep the Reg* semantics their callers
// expect.
//
// Root keys:
//   HKEY_CURRENT_USER    $XDG_CONFIG_HOME/qxvbutils/registry-hkcu.sqlite
//                        (XDG_CONFIG_HOME defaults to $HOME/.config)
//   HKEY_LOCAL_MACHINE   $QXVB_MACHINE_DIR/registry-hklm.sqlite
//                        (QXVB_MACHINE_DIR defaults to /var/lib/qxvbutils)
//   HKEY_CLASSES_ROOT    an alias of HKEY_LOCAL_MACHINE\Software\Classes
//                        (the machine-wide half of the merged Windows view)
//   HKEY_CURRENT_CONFIG  an alias of
//   HKEY_LOCAL_MACHINE\System\CurrentControlSet
//                        \Hardware Profiles\Current
//   HKEY_USERS           refused with ERROR_ACCESS_DENIED: other users'
//                        hives are not reachable on this platform.
//   any other number     refused with ERROR_INVALID_HANDLE.
//
// Text: names and string data are UTF-8. String-typed data (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) is kept as the caller passed it, as UTF-8
// bytes that normally carry their terminating NUL (makeString adds it), the
// way Windows keeps UTF-16 with its terminator; the store never rewrites
// data, so every type round-trips byte for byte.
//
// Failures of the database itself (corrupt or unwritable file): reads
// answer ERROR_FILE_NOT_FOUND, writes answer an error code, and the first
// such failure of the process is kept as a message (firstFailure).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qxvb::registry {

// Windows error codes answered by the store.
using Status = long;
inline constexpr Status kSuccess = 0;
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kInvalidHandle = 6;
inline constexpr Status kNotEnoughMemory = 8;
inline constexpr Status kInvalidParameter = 87;
inline constexpr Status kDiskFull = 112;
inline constexpr Status kBusy = 170;
inline constexpr Status kMoreData = 234;
inline constexpr Status kNoMoreItems = 259;
inline constexpr Status kBadDatabase = 1009;
inline constexpr Status kCantOpen = 1011;
inline constexpr Status kIoFailed = 1016;

// A short description of a status for messages, "not found" for
// kFileNotFound; "registry error N" for a status without one.
std::string statusText(Status status);

// The predefined root keys, with the Windows HKEY numbers callers pass.
enum class RootKey : std::uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  CurrentConfig = 0x80000005u,
};

// Value types. Types not listed are stored as raw bytes with their number.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// Name limits in characters (Unicode code points), as Windows has them.
inline constexpr std::size_t kMaxKeyNameChars = 255;
inline constexpr std::size_t kMaxValueNameChars = 16383;
inline constexpr std::size_t kMaxKeyDepth = 512;

// "No buffer limit" for the calls that take one.
inline constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

using Bytes = std::vector<std::uint8_t>;

struct Value {
  std::string name;  // "" is the key's default value
  std::uint32_t type = kRegNone;
  Bytes data;
};

struct KeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyNameChars = 0;
  std::uint32_t values = 0;
  std::uint32_t maxValueNameChars = 0;
  std::uint32_t maxValueDataBytes = 0;
};

// Keys. An empty path names the root key itself.
Status createKey(RootKey root, std::string_view path, bool* created = nullptr);
Status openKey(RootKey root, std::string_view path);
// The path as stored: each component in the case it was first written with.
Status storedPath(RootKey root, std::string_view path, std::string& stored);
// ERROR_MORE_DATA when the name is longer than maxNameChars characters.
Status enumKey(RootKey root, std::string_view path, std::uint32_t index, std::string& name,
               std::size_t maxNameChars = kUnlimited);
Status queryInfo(RootKey root, std::string_view path, KeyInfo& info);
// Refused with ERROR_ACCESS_DENIED while the key has subkeys.
Status deleteKey(RootKey root, std::string_view path);
// Deletes the key, its values and everything below it.
Status deleteTree(RootKey root, std::string_view path);

// Values. setValue creates the key path when it is missing.
Status setValue(RootKey root, std::string_view path, std::string_view name, std::uint32_t type,
                const Bytes& data);
// ERROR_MORE_DATA (type set, data left empty) when the data is longer than
// maxDataBytes.
Status queryValue(RootKey root, std::string_view path, std::string_view name, std::uint32_t& type,
                  Bytes& data, std::size_t maxDataBytes = kUnlimited);
Status enumValue(RootKey root, std::string_view path, std::uint32_t index, Value& value,
                 std::size_t maxNameChars = kUnlimited, std::size_t maxDataBytes = kUnlimited);
Status deleteValue(RootKey root, std::string_view path, std::string_view name);

// Whole listings in enumeration order, read in one snapshot.
Status listSubKeys(RootKey root, std::string_view path, std::vector<std::string>& names);
Status listValues(RootKey root, std::string_view path, std::vector<Value>& values);

// Runs body in one write transaction of the root's database: the store
// calls it makes on that root (from this thread) commit together, or not at
// all when body answers an error.
Status runInTransaction(RootKey root, const std::function<Status()>& body);

// Runs body in one read transaction of the root's database: the store calls
// it makes on that root (from this thread) see one snapshot, and keys met on
// the way are found again without walking their paths. body must only read.
// When the database cannot be opened, body runs on its own.
Status runInReadTransaction(RootKey root, const std::function<Status()>& body);

// The database file holding a root key (after aliasing); empty when the
// root is refused.
std::filesystem::path databasePath(RootKey root);

// The first database failure of this process, "" when none happened.
std::string firstFailure();
void clearFailures();

// Closes the calling thread's connections (they reopen on the next call).
void closeThreadConnections();

// Root names: full ("HKEY_CURRENT_USER") or short ("HKCU"), any case.
std::optional<RootKey> parseRootName(std::string_view name);
std::string_view rootName(RootKey root);
// Splits "HKEY_CURRENT_USER\Software\x" into root and path.
std::optional<std::pair<RootKey, std::string>> splitRootPath(std::string_view fullPath);

// Data helpers.
Bytes makeString(std::string_view text);
// The text up to the first NUL (all of it when there is none).
std::string readString(const Bytes& data);
Bytes makeDword(std::uint32_t number);
std::optional<std::uint32_t> readDword(const Bytes& data);
Bytes makeMultiString(const std::vector<std::string>& texts);
std::vector<std::string> readMultiString(const Bytes& data);

}  // namespace qxvb::registry
