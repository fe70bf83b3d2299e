#include "components/encryption/file_encryption.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <cerrno>
#include <memory>

#include "frame/automation_error.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "platform/state_paths.h"

namespace qxvb::encryption {

namespace {

constexpr std::string_view kMagic("QXENC01\n", 8);
constexpr size_t kIdBytes = 8;
constexpr size_t kNonceBytes = 12;
constexpr const char* kSource = "QXCrypt.FileEncryption";
constexpr const char* kKeyFileName = "file-encryption.key";

[[noreturn]] void fail(int32_t number, const std::string& text) {
  raiseError(number, kSource, text);
}

// The bytes of a regular file of at most kMaxFileBytes; FIFOs, devices and
// folders are refused without being read.
std::string readRegularFile(const std::filesystem::path& path) {
  std::string bytes;
  const int error = platform::readRegularFile(path, bytes, kMaxFileBytes);
  if (error == 0) return bytes;
  if (error == EINVAL || error == EISDIR)
    fail(vberr::BadFileNameOrNumber, path.string() + " is not a regular file.");
  if (error == EFBIG) {
    fail(vberr::InvalidProcedureCall, "The file " + path.string() + " is too large to encrypt.");
  }
  if (error == ENOENT) fail(vberr::FileNotFound, "The file " + path.string() + " was not found.");
  fail(vberr::PathFileAccessError, "The file " + path.string() + " cannot be read.");
}

// Replaces the file with the bytes through the platform's atomic writer:
// the old file stays whole on failure and keeps its mode.
void replaceFile(const std::filesystem::path& path, const std::string& bytes) {
  if (platform::writeFileAtomically(path, bytes) != 0) {
    fail(vberr::PermissionDenied, "The file " + path.string() + " cannot be written.");
  }
}

std::string keyId(const std::string& key) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(key.data()), key.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), kIdBytes);
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherContext newContext() {
  CipherContext ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx) raiseVbError(vberr::OutOfMemory, kSource);
  return ctx;
}

const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

std::string makeKeyFile(const std::filesystem::path& file) {
  std::filesystem::create_directories(file.parent_path());
  std::string key(kKeyBytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(key.data()), static_cast<int>(key.size())) != 1) {
    fail(vberr::InvalidProcedureCall, "No random key could be made.");
  }
  platform::AtomicFile out(file, platform::NewFileAccess::OwnerOnly);
  const int error = out.write(key) ? out.commitNew() : out.error();
  // Another process made it meanwhile: that key is the one.
  if (error == EEXIST) return readRegularFile(file);
  if (error != 0)
    fail(vberr::PermissionDenied, "The key file " + file.string() + " cannot be made.");
  return key;
}

}  // namespace

std::string loadKey() {
  const std::filesystem::path machine = paths::machineDir() / kKeyFileName;
  const std::filesystem::path user = paths::configHome() / "qxvbutils" / kKeyFileName;
  std::error_code ec;
  std::string key;
  if (std::filesystem::exists(machine, ec)) {
    key = readRegularFile(machine);
  } else if (std::filesystem::exists(user, ec)) {
    key = readRegularFile(user);
  } else {
    key = makeKeyFile(user);
  }
  if (key.size() != kKeyBytes) fail(vberr::InvalidProcedureCall, "The encryption key is damaged.");
  return key;
}

bool looksEncrypted(const std::string& bytes) {
  return bytes.size() >= kHeaderBytes + kTagBytes && bytes.compare(0, kMagic.size(), kMagic) == 0;
}

std::string encryptBytes(const std::string& plain, const std::string& key) {
  std::string nonce(kNonceBytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(nonce.data()), kNonceBytes) != 1) {
    fail(vberr::InvalidProcedureCall, "No random nonce could be made.");
  }
  std::string out = std::string(kMagic) + keyId(key) + nonce;
  out.resize(kHeaderBytes + plain.size() + kTagBytes);
  auto* cipher = reinterpret_cast<unsigned char*>(out.data()) + kHeaderBytes;
  CipherContext ctx = newContext();
  int len = 0;
  bool ok = EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceBytes, nullptr) == 1 &&
            EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, bytesOf(key), bytesOf(nonce)) == 1 &&
            EVP_EncryptUpdate(ctx.get(), nullptr, &len, bytesOf(out), kHeaderBytes) == 1;
  size_t done = 0;
  while (ok && done < plain.size()) {
    const int chunk = static_cast<int>(std::min<size_t>(plain.size() - done, 1 << 20));
    ok = EVP_EncryptUpdate(ctx.get(), cipher + done, &len, bytesOf(plain) + done, chunk) == 1;
    done += static_cast<size_t>(len);
  }
  ok = ok && EVP_EncryptFinal_ex(ctx.get(), cipher + done, &len) == 1 &&
       EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes, cipher + plain.size()) == 1;
  if (!ok) fail(vberr::InvalidProcedureCall, "The file could not be encrypted.");
  return out;
}

std::string decryptBytes(const std::string& sealed, const std::string& key) {
  if (!looksEncrypted(sealed)) fail(vberr::InvalidProcedureCall, "The file is not encrypted.");
  if (sealed.compare(kMagic.size(), kIdBytes, keyId(key)) != 0) {
    fail(vberr::InvalidProcedureCall, "The file was encrypted with another key.");
  }
  const size_t size = sealed.size() - kHeaderBytes - kTagBytes;
  std::string plain(size, '\0');
  std::string tag = sealed.substr(sealed.size() - kTagBytes);
  const unsigned char* nonce = bytesOf(sealed) + kMagic.size() + kIdBytes;
  CipherContext ctx = newContext();
  int len = 0;
  bool ok = EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceBytes, nullptr) == 1 &&
            EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, bytesOf(key), nonce) == 1 &&
            EVP_DecryptUpdate(ctx.get(), nullptr, &len, bytesOf(sealed), kHeaderBytes) == 1;
  auto* out = reinterpret_cast<unsigned char*>(plain.data());
  size_t done = 0;
  while (ok && done < size) {
    const int chunk = static_cast<int>(std::min<size_t>(size - done, 1 << 20));
    ok = EVP_DecryptUpdate(ctx.get(), out + done, &len, bytesOf(sealed) + kHeaderBytes + done,
                           chunk) == 1;
    done += static_cast<size_t>(len);
  }
  ok = ok && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag.data()) == 1 &&
       EVP_DecryptFinal_ex(ctx.get(), out + done, &len) == 1;
  if (!ok) fail(vberr::InvalidProcedureCall, "The encrypted file is damaged.");
  return plain;
}

bool FileEncryption::EncryptFile(const std::string& path) {
  const std::string bytes = readRegularFile(path);
  if (looksEncrypted(bytes)) return true;
  replaceFile(path, encryptBytes(bytes, loadKey()));
  return true;
}

bool FileEncryption::DecryptFile(const std::string& path) {
  const std::string bytes = readRegularFile(path);
  replaceFile(path, decryptBytes(bytes, loadKey()));
  return true;
}

bool FileEncryption::IsEncryptedFile(const std::string& path) {
  return looksEncrypted(readRegularFile(path));
}

const DispatchTable& FileEncryption::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("FileEncryption");
    using Self = FileEncryption;
    Members<Self>(t)
        .method("EncryptFile", {in("v_strFileName")},
                [](Self& s, CallArgs& a) { return Variant(s.EncryptFile(a.str(0))); })
        .method("DecryptFile", {in("v_strFileName")},
                [](Self& s, CallArgs& a) { return Variant(s.DecryptFile(a.str(0))); })
        .method("IsEncryptedFile", {in("v_strFileName")},
                [](Self& s, CallArgs& a) { return Variant(s.IsEncryptedFile(a.str(0))); });
    return t;
  }();
  return table;
}

Object makeFileEncryption() {
  return std::make_shared<FileEncryption>();
}

}  // namespace qxvb::encryption
