// The graphics-conversion library's PNG export, a small implementation of
// the product's sibling library on Qt's image codecs.
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
// The library's callers know it by its decorated name _PngToBmp@12; on ELF
// an '@' in a symbol name denotes a symbol version, so the export carries
// the undecorated name.
int16_t Rastell2_PngToBmp(const char* pngPath, const char* bmpPath, int32_t flags);
}
