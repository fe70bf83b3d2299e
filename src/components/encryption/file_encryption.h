// The product's encryption component (our small implementation): settings
// files are encrypted in place with AES-256-GCM (OpenSSL), an
// authenticated cipher, so a changed or truncated file is refused rather
// than decrypted into garbage.
//
// File format (all of it is authenticated; bytes 0 to 27 as associated
// data, the rest by the tag):
//   0   8 bytes  magic "QXENC01\n"
//   8   8 bytes  key identifier: the first 8 bytes of SHA-256 of the key
//   16  12 bytes nonce, random for every encryption
//   28  n bytes  the file's bytes, encrypted
//   28+n 16 bytes GCM tag
//
// The key: 32 bytes in the key file. The machine-wide key
// $QXVB_MACHINE_DIR/file-encryption.key is used when it exists (give every
// machine of a team the same file); otherwise the user's own
// $XDG_CONFIG_HOME/qxvbutils/file-encryption.key, made with 32 random bytes
// (mode 0600) on first use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "frame/dispatch.h"

namespace qxvb::encryption {

inline constexpr const char* kEncryptionProgId = "QXCrypt.FileEncryption";
inline constexpr size_t kKeyBytes = 32;
inline constexpr size_t kHeaderBytes = 28;
inline constexpr size_t kTagBytes = 16;
// Files larger than this are refused rather than read into memory.
inline constexpr uint64_t kMaxFileBytes = 256ull << 20;

// The key in use (see above); raises when the key file cannot be read or
// made, or does not hold exactly 32 bytes.
std::string loadKey();

// The encrypted form of bytes, and the bytes of an encrypted form; decrypt
// raises for a text that is not ours, was made with another key, or was
// changed.
std::string encryptBytes(const std::string& plain, const std::string& key);
std::string decryptBytes(const std::string& sealed, const std::string& key);
bool looksEncrypted(const std::string& bytes);

class FileEncryption : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Encrypts the file in place; a file that is already encrypted stays as
  // it is. True on success; failures raise (file missing, not a regular
  // file, too large, not writable).
  bool EncryptFile(const std::string& path);
  bool DecryptFile(const std::string& path);
  bool IsEncryptedFile(const std::string& path);
};

Object makeFileEncryption();

}  // namespace qxvb::encryption
