// ADODB.Stream: bytes and text at a position, files in and out.
#include <gtest/gtest.h>

#include <filesystem>

#include "ado/ado_constants.h"
#include "ado/stream.h"
#include "frame/automation_error.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

using test::errorNumber;

ByteArray bytesOf(const std::string& s) {
  return ByteArray{0, std::vector<uint8_t>(s.begin(), s.end())};
}

TEST(AdoStream, BinaryReadsAndWritesAtThePosition) {
  Stream s;
  EXPECT_EQ(errorNumber([&] { s.Size(); }), 3704);
  s.setType(adTypeBinary);
  s.Open();
  s.Write(Variant(bytesOf("hello world")));
  EXPECT_EQ(s.Size(), 11);
  EXPECT_TRUE(s.EOS());
  EXPECT_TRUE(s.Read().isNull());
  s.setPosition(6);
  s.Write(Variant(bytesOf("there!")));
  s.setPosition(0);
  EXPECT_EQ(s.Read(5), Variant(bytesOf("hello")));
  EXPECT_EQ(s.Read(), Variant(bytesOf(" there!")));
  s.setPosition(5);
  s.SetEOS();
  EXPECT_EQ(s.Size(), 5);
  EXPECT_EQ(errorNumber([&] { s.setPosition(6); }), 3001);
  EXPECT_EQ(errorNumber([&] { s.WriteText("x"); }), 3219);
  EXPECT_EQ(errorNumber([&] { s.Open(); }), 3705);
}

TEST(AdoStream, TextIsKeptInTheCharsetWithItsMark) {
  Stream s;
  s.Open();
  EXPECT_EQ(s.Type(), adTypeText);
  s.WriteText("Ab€", adWriteLine);
  // "Unicode" is UTF-16LE after a byte-order mark; lines end in CR LF.
  EXPECT_EQ(s.Size(), 2 + 2 * 5);
  s.setPosition(0);
  EXPECT_EQ(s.ReadText(adReadLine), "Ab€");
  EXPECT_TRUE(s.EOS());
  s.setPosition(0);
  EXPECT_EQ(s.ReadText(2), "Ab");
  EXPECT_EQ(s.ReadText(), "€\r\n");

  Stream u;
  u.setCharset("utf-8");
  u.setLineSeparator(adLF);
  u.Open();
  u.WriteText("één", adWriteLine);
  u.WriteText("twee");
  u.setPosition(0);
  u.setType(adTypeBinary);
  EXPECT_EQ(u.Read(), Variant(bytesOf("\xEF\xBB\xBF\xC3\xA9\xC3\xA9n\ntwee")));

  Stream latin;
  latin.setCharset("iso-8859-1");
  latin.Open();
  latin.WriteText("café ☃");
  EXPECT_EQ(latin.Size(), 6);  // no mark; the snowman becomes '?'
  latin.setPosition(0);
  EXPECT_EQ(latin.ReadText(), "café ?");
  EXPECT_EQ(errorNumber([&] { latin.setCharset("no-such-charset"); }), 3219);
  EXPECT_EQ(errorNumber([&] { Stream().setCharset("no-such-charset"); }), 3001);
}

TEST(AdoStream, FilesLoadAndSaveWhole) {
  const auto dir = test::freshFolder("stream");
  const auto source = dir / "in.bin";
  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  test::writeFile(source, content);

  Stream s;
  s.setType(adTypeBinary);
  s.Open();
  s.LoadFromFile(source.string());
  EXPECT_EQ(s.Size(), 300000);
  EXPECT_EQ(s.Position(), 0);
  const auto target = dir / "out.bin";
  s.SaveToFile(target.string(), adSaveCreateNotExist);
  EXPECT_EQ(test::readFile(target), content);
  EXPECT_EQ(errorNumber([&] { s.SaveToFile(target.string(), adSaveCreateNotExist); }), 3004);
  s.setPosition(0);
  s.Write(Variant(bytesOf("new")));
  s.SetEOS();
  s.SaveToFile(target.string(), adSaveCreateOverWrite);
  EXPECT_EQ(test::readFile(target), "new");
  EXPECT_EQ(errorNumber([&] { s.SaveToFile((dir / "no" / "x.bin").string(), 2); }), 3004);
  EXPECT_EQ(errorNumber([&] { s.LoadFromFile((dir / "missing").string()); }), 3002);
  EXPECT_EQ(errorNumber([&] { s.LoadFromFile(dir.string()); }), 3002);
  // Nothing but the two files was left in the folder.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2u);
}

}  // namespace
}  // namespace qxvb::ado
