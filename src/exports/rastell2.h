// The graphics-conversion library's exported functions (PNG to bitmap,
// bitmap to JPEG and PNG), declared once for the component that defines
// them (components/rastell2/gui) and the subsystems that call them.
#pragma once

#include <cstdint>

extern "C" {

// Converts the PNG file pngPath into a Windows bitmap file at bmpPath. Both
// names are 8-bit text in the locale's character set. Transparent parts of
// the PNG are drawn on white; flags is reserved and passed as 0. Returns a
// non-zero value when the bitmap was written, 0 otherwise (a missing or
// unreadable file, a file that is not a PNG image, a bitmap that cannot be
// written); on failure nothing is left at bmpPath that was not there before.
//
// The library's callers know the exports by decorated names such as
// _PngToBmp@12; on ELF an '@' in a symbol name denotes a symbol version, so
// the exports carry undecorated names with the library's prefix.
int16_t Rastell2_PngToBmp(const char* pngPath, const char* bmpPath, int32_t flags);

// Non-zero while the library can convert: its version, major times 65536
// plus minor; 0 when the JPEG or PNG encoder is missing.
int32_t Rastell2_Version();

// Convert the Windows bitmap file bmpPath into a JPEG (quality 90) or PNG
// file at targetPath, replacing it whole. flags is reserved (0). Answer 0 on
// success; otherwise a Rastell2Error value and, when errorBuffer is given,
// a NUL-terminated text of at most bufferLength bytes saying what failed.
// A failed conversion leaves the target as it was.
int32_t Rastell2_BmpToJpeg_ReturnError(const char* bmpPath, const char* targetPath, int32_t flags,
                                       char* errorBuffer, int32_t bufferLength);
int32_t Rastell2_BmpToPNG_ReturnError(const char* bmpPath, const char* targetPath, int32_t flags,
                                      char* errorBuffer, int32_t bufferLength);
}

// The numbers the conversions answer.
enum Rastell2Error : int32_t {
  kRastell2Success = 0,
  kRastell2BadArgument = 1,   // a name is missing
  kRastell2CannotRead = 2,    // the bitmap cannot be opened or read
  kRastell2NotABitmap = 3,    // the file is no Windows bitmap, or a damaged one
  kRastell2CannotEncode = 4,  // the encoder failed
  kRastell2CannotWrite = 5,   // the target cannot be written
};
