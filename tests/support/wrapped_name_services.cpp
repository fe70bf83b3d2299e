#include "support/wrapped_name_services.h"

#include <cstdlib>
#include <fstream>

#include "support/child_process.h"
#include "support/sandbox.h"

extern char** environ;

namespace qxvb::test {

namespace {

constexpr const char* kNssWrapper = "/usr/lib/x86_64-linux-gnu/libnss_wrapper.so";
constexpr const char* kResolvWrapper = "/usr/lib/x86_64-linux-gnu/libresolv_wrapper.so";

// This process's environment with the settings that load the wrappers.
std::vector<std::string> wrappedEnvironment(const std::filesystem::path& folder) {
  std::vector<std::string> environment;
  std::string asanOptions = "ASAN_OPTIONS=";
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string entry = *variable;
    if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
      asanOptions = entry + ":";
      continue;
    }
    environment.push_back(entry);
  }
  // Under AddressSanitizer the preloaded wrappers come before its runtime;
  // the child still runs instrumented, only the order check is off.
  environment.push_back(asanOptions + "verify_asan_link_order=0");
  // The sanitizer runtimes cannot follow libraries loaded with RTLD_DEEPBIND.
  environment.push_back("NSS_WRAPPER_DISABLE_DEEPBIND=1");
  environment.push_back("RESOLV_WRAPPER_DISABLE_DEEPBIND=1");
  environment.push_back(std::string("LD_PRELOAD=") + kNssWrapper + ":" + kResolvWrapper);
  environment.push_back("NSS_WRAPPER_HOSTS=" + (folder / "hosts").string());
  environment.push_back("NSS_WRAPPER_PASSWD=" + (folder / "passwd").string());
  environment.push_back("NSS_WRAPPER_GROUP=" + (folder / "group").string());
  environment.push_back("RESOLV_WRAPPER_CONF=" + (folder / "resolv.conf").string());
  return environment;
}

}  // namespace

bool nameServiceWrappersInstalled() {
  return std::filesystem::exists(kNssWrapper) && std::filesystem::exists(kResolvWrapper);
}

bool nameServiceWrapperActive() {
  if (std::getenv("NSS_WRAPPER_HOSTS") == nullptr) return false;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libnss_wrapper") != std::string::npos) return true;
  }
  return false;
}

void writeWrappedAccounts(const std::filesystem::path& folder) {
  writeFile(folder / "passwd",
            "ann:x:2001:3001:Ann:/home/ann:/bin/sh\n"
            "ben:x:2002:3001:Ben:/home/ben:/bin/sh\n"
            "cid:x:2003:3002:Cid:/home/cid:/bin/sh\n");
  writeFile(folder / "group", "staff:x:3001:ann,cid\nnobodyhere:x:3003:\n");
}

ChildRun runWrappedChild(const std::filesystem::path& folder, const std::string& filter,
                         const std::vector<std::string>& extraEnvironment) {
  std::vector<std::string> environment = wrappedEnvironment(folder);
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  const std::filesystem::path log = folder / "child.log";
  ChildRun run;
  const pid_t pid = spawnLogged(
      {std::filesystem::read_symlink("/proc/self/exe").string(), "--gtest_filter=" + filter}, log,
      &environment);
  if (pid < 0) return run;
  run.exitCode = exitCodeOf(pid);
  run.ran = true;
  run.output = readFile(log);
  return run;
}

}  // namespace qxvb::test
