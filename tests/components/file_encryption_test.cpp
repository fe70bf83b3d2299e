// The encryption component: files encrypted in place with an
// authenticated cipher, refused when changed, the key file and its mode,
// and hostile files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "components/encryption/file_encryption.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;
using namespace qxvb::encryption;

TEST(FileEncryptionTest, EncryptsInPlaceAndDecryptsBack) {
  const fs::path folder = freshFolder("crypt");
  const fs::path file = folder / "settings.cfg";
  const std::string plain = std::string("[Wizard]\r\nk=v\r\n") + std::string(3, '\0');
  writeFile(file, plain);
  ::chmod(file.c_str(), 0640);
  Object component = createObject(kEncryptionProgId);
  EXPECT_EQ(component->call("IsEncryptedFile", {Variant(file.string())}), Variant(false));
  EXPECT_EQ(component->call("EncryptFile", {Variant(file.string())}), Variant(true));
  const std::string sealed = readFile(file);
  EXPECT_EQ(sealed.size(), plain.size() + kHeaderBytes + kTagBytes);
  EXPECT_EQ(sealed.substr(0, 8), "QXENC01\n");
  EXPECT_EQ(sealed.find("Wizard"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Encrypting again leaves it alone; the key file is the user's own.
  component->call("EncryptFile", {Variant(file.string())});
  EXPECT_EQ(readFile(file), sealed);
  ASSERT_EQ(::stat((sandboxRoot() / "config" / "qxvbutils" / "file-encryption.key").c_str(), &st),
            0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_size, 32);
  EXPECT_EQ(component->call("DecryptFile", {Variant(file.string())}), Variant(true));
  EXPECT_EQ(readFile(file), plain);
  // The same text encrypts differently each time (a fresh nonce).
  const std::string key = loadKey();
  EXPECT_NE(encryptBytes("x", key), encryptBytes("x", key));
}

TEST(FileEncryptionTest, ChangedFilesOtherKeysAndHostileFilesAreRefused) {
  const fs::path folder = freshFolder("refuse");
  const std::string key = loadKey();
  std::string sealed = encryptBytes("secret settings", key);
  for (const size_t at : {size_t{3}, size_t{12}, size_t{20}, kHeaderBytes + 2, sealed.size() - 1}) {
    std::string changed = sealed;
    changed[at] = static_cast<char>(changed[at] ^ 0x40);
    EXPECT_NE(errorNumber([&] { decryptBytes(changed, key); }), 0) << at;
  }
  EXPECT_NE(errorNumber([&] { decryptBytes(sealed.substr(0, sealed.size() - 1), key); }), 0);
  EXPECT_NE(errorNumber([&] { decryptBytes(sealed, std::string(32, 'k')); }), 0);
  EXPECT_EQ(decryptBytes(sealed, key), "secret settings");

  // A machine-wide key, when there is one, is everybody's key.
  fs::create_directories(sandboxRoot() / "machine");
  writeFile(sandboxRoot() / "machine" / "file-encryption.key", std::string(32, 'm'));
  EXPECT_EQ(loadKey(), std::string(32, 'm'));
  writeFile(sandboxRoot() / "machine" / "file-encryption.key", "short");
  EXPECT_NE(errorNumber([] { loadKey(); }), 0);
  fs::remove(sandboxRoot() / "machine" / "file-encryption.key");

  FileEncryption component;
  const fs::path fifo = folder / "pipe.cfg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorNumber([&] { component.EncryptFile(fifo.string()); }), 52);
  EXPECT_EQ(errorNumber([&] { component.EncryptFile(folder.string()); }), 52);
  EXPECT_EQ(errorNumber([&] { component.EncryptFile((folder / "missing.cfg").string()); }), 53);
  const fs::path plain = folder / "plain.txt";
  writeFile(plain, "not encrypted");
  EXPECT_NE(errorNumber([&] { component.DecryptFile(plain.string()); }), 0);
  EXPECT_EQ(readFile(plain), "not encrypted");
  // Nothing is left beside the files.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 2u);
}

}  // namespace
}  // namespace qxvb::test
