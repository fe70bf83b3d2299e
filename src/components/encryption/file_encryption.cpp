#include "components/encryption/file_encryption.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "frame/automation_error.h"
#include "platform/state_paths.h"
#include "platform/write_all.h"

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

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

// The bytes of a regular file of at most kMaxFileBytes; FIFOs, devices and
// folders are refused without being read.
std::string readRegularFile(const std::filesystem::path& path) {
  Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.fd < 0) fail(vberr::FileNotFound, "The file " + path.string() + " cannot be read.");
  struct stat st {};
  if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    fail(vberr::BadFileNameOrNumber, path.string() + " is not a regular file.");
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
    fail(vberr::InvalidProcedureCall, "The file " + path.string() + " is too large to encrypt.");
  }
  std::string bytes;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(vberr::PathFileAccessError, "The file " + path.string() + " cannot be read.");
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kMaxFileBytes) {
      fail(vberr::InvalidProcedureCall, "The file " + path.string() + " is too large to encrypt.");
    }
  }
  return bytes;
}

// Replaces the file with the bytes: a new file beside it, flushed, with the
// old file's mode, renamed over it; the old file stays whole on failure.
void replaceFile(const std::filesystem::path& path, const std::string& bytes, mode_t mode) {
  const std::filesystem::path temp =
      path.parent_path() / ("." + path.filename().string() + ".qxenc");
  Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 07777));
  if (out.fd < 0)
    fail(vberr::PermissionDenied, "The file " + path.string() + " cannot be written.");
  const bool written = platform::writeAll(out.fd, bytes) && ::fchmod(out.fd, mode & 07777) == 0 &&
                       ::fsync(out.fd) == 0;
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    fail(vberr::PermissionDenied, "The file " + path.string() + " cannot be written.");
  }
}

mode_t modeOf(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode : 0644;
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
  Fd out(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (out.fd < 0) {
    // Another process made it meanwhile: that key is the one.
    if (errno == EEXIST) return readRegularFile(file);
    fail(vberr::PermissionDenied, "The key file " + file.string() + " cannot be made.");
  }
  if (!platform::writeAll(out.fd, key) || ::fsync(out.fd) != 0) {
    ::unlink(file.c_str());
    fail(vberr::PermissionDenied, "The key file " + file.string() + " cannot be written.");
  }
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
  replaceFile(path, encryptBytes(bytes, loadKey()), modeOf(path));
  return true;
}

bool FileEncryption::DecryptFile(const std::string& path) {
  const std::string bytes = readRegularFile(path);
  replaceFile(path, decryptBytes(bytes, loadKey()), modeOf(path));
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
