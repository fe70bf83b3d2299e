// Calls from Python: a trivial member of a library object reached through
// the qxvbutils package, against a method of a plain Python object of the
// same shape called the same way. Each benchmark times its Python anchor in
// the same run and reports the cost the package adds to a call
// ("overhead_ns"), both counted in the thread's processor time, so a busy
// machine does not blur the difference.
#include <Python.h>
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/run.h"

namespace {

const char* const kSetup = R"(
import sys
sys.path.insert(0, PACKAGE_FOLDER)
import qxvbutils

class PlainCollection:
    def __init__(self, items):
        self.items = list(items)
    def Count(self):
        return len(self.items)
    def Item(self, index):
        return self.items[index - 1]

library = qxvbutils.Collection(["a", "b", "c"])
plain = PlainCollection(["a", "b", "c"])

def library_count():
    return library.Count()
def plain_count():
    return plain.Count()
def library_item():
    return library.Item(2)
def plain_item():
    return plain.Item(2)
)";

PyObject* gGlobals = nullptr;

PyObject* function(const char* name) {
  PyObject* f = PyDict_GetItemString(gGlobals, name);
  if (f == nullptr) std::abort();
  return f;
}

void call(PyObject* f) {
  PyObject* result = PyObject_CallNoArgs(f);
  if (result == nullptr) {
    PyErr_Print();
    std::abort();
  }
  Py_DECREF(result);
}

double threadNanos() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double nanosPerCall(PyObject* f, int64_t calls) {
  const double start = threadNanos();
  for (int64_t i = 0; i < calls; ++i) call(f);
  return (threadNanos() - start) / static_cast<double>(calls);
}

// Times the library call, then its anchor as often.
void LibraryAgainstPython(benchmark::State& state, const char* library, const char* plain) {
  PyObject* libraryCall = function(library);
  PyObject* plainCall = function(plain);
  const double start = threadNanos();
  for (auto _ : state) call(libraryCall);
  const double spent = threadNanos() - start;
  const auto calls = static_cast<int64_t>(state.iterations());
  const double anchor = nanosPerCall(plainCall, calls);
  state.counters["python_ns"] = anchor;
  state.counters["overhead_ns"] = spent / static_cast<double>(calls) - anchor;
}

BENCHMARK_CAPTURE(LibraryAgainstPython, Count, "library_count", "plain_count");
BENCHMARK_CAPTURE(LibraryAgainstPython, Item, "library_item", "plain_item");

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path sandbox;
  Py_Initialize();
  gGlobals = PyDict_New();
  PyDict_SetItemString(gGlobals, "__builtins__", PyEval_GetBuiltins());
  PyObject* folder = PyUnicode_FromString(QXVB_PYTHON_PACKAGE_FOLDER);
  PyDict_SetItemString(gGlobals, "PACKAGE_FOLDER", folder);
  Py_DECREF(folder);
  PyObject* done = PyRun_String(kSetup, Py_file_input, gGlobals, gGlobals);
  if (done == nullptr) {
    PyErr_Print();
    return 1;
  }
  Py_DECREF(done);
  const int rc = qxvb::bench::runBenchmarksInSandbox(sandbox, argc, argv);
  Py_DECREF(gGlobals);
  Py_FinalizeEx();
  return rc;
}
