// The database I/O library's exported functions the library calls, declared
// once for the component that defines them (components/qxdbio) and the
// subsystems that call them: the control block of the open repository
// (the one the process's host has open) and the export of a file kept in
// the repository's file store.
#pragma once

#include <cstdint>

extern "C" {

// The handle of the open repository's control block; 0 when no repository
// is open. The same repository keeps its handle while the process runs.
int32_t QXDBIO_GetControlBlock();

// Writes the stored file storedName of the repository behind controlBlock
// into folder under fileName (a plain name, no folders), replacing a file
// of that name whole. Names are 8-bit text in the locale's character set.
// Answers a QxdbioStatus.
//
// The product's callers know these exports as _QXDBIO_GetControlBlock@0 and
// _QXDBIO_EncyFileExport@16; on ELF an '@' in a symbol name denotes a
// symbol version, so they carry the undecorated names.
int32_t QXDBIO_EncyFileExport(int32_t controlBlock, const char* storedName, const char* fileName,
                              const char* folder);
}

enum QxdbioStatus : int32_t {
  kQxdbioSuccess = 0,
  kQxdbioNoRepository = 1,  // the handle names no open repository
  kQxdbioNoSuchFile = 2,    // the repository does not store the file
  kQxdbioBadName = 3,       // the file name is empty or not a plain name
  kQxdbioCannotWrite = 4,   // the folder is missing or cannot be written
  kQxdbioFailed = 5,        // the repository could not be read
};
