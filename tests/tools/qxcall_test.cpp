// qxcall end to end: the command as a caller runs it, in the test's sandbox.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/sandbox.h"

namespace {

struct Outcome {
  int exitCode = -1;
  std::string out;
};

Outcome qxcall(const std::string& args, const std::string& environment = {}) {
  const std::string command =
      environment + " " + std::string(QXVB_BIN_DIR) + "/qxcall " + args + " 2>&1";
  Outcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Qxcall, SaveErrInfoAsJson) {
  const Outcome r = qxcall("--json QXVBUtils.QXUtilities QXSaveErrInfo l:5 s:a s:b");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"result\": {\"Number\": 5, \"Source\": \"a\", \"Description\": \"b\", \"HelpFile\": "
            "\"\", \"HelpContextID\": \"\"}, \"args\": [5, \"a\", \"b\"]}\n");
}

TEST(Qxcall, SettingWrittenByOneRunIsReadByTheNext) {
  ASSERT_EQ(qxcall("--json QXVBUtils.QXUtilities QXSetSetting s:k s:hello").exitCode, 0);
  const Outcome r = qxcall("--json QXVBUtils.QXUtilities QXGetSetting s:k s: l:3");
  EXPECT_EQ(r.out, "{\"result\": true, \"args\": [\"k\", \"hel\", 3]}\n");
  const std::string ini = qxvb::test::readFile(qxvb::test::sandboxRoot() / "config" / "Brackwell" /
                                               "Quillane" / "Quillane.ini");
  EXPECT_NE(ini.find("[Wizard]\r\nk=hello\r\n"), std::string::npos);
}

TEST(Qxcall, ErrorsAreReportedAsJsonWithExitCodeOne) {
  Outcome r = qxcall("--json QXVBUtils.QXUtilities NoSuchMember");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("\"number\": 438"), std::string::npos);
  r = qxcall("--json QXVBUtils.QX_RegistryValue Anything");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("\"number\": 429"), std::string::npos);
  r = qxcall("--json QXVBUtils.QXUtilities QXSaveErrInfo l:5");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("\"number\": 449"), std::string::npos);
}

TEST(Qxcall, MemberNamesIgnoreCaseAndArgumentFormsConvert) {
  Outcome r = qxcall("--json qxvbutils.qxutilities qxsaveerrinfo i:7 s:x s:y e: n:");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("\"HelpContextID\": {\"null\": true}"), std::string::npos);
  r = qxcall("--json QXVBUtils.QXUtilities QXSaveErrInfoFromErr \"err:70|Src|Denied|f.hlp|3\"");
  EXPECT_NE(r.out.find("\"Number\": 70"), std::string::npos);
  EXPECT_NE(r.out.find("\"HelpContextID\": 3"), std::string::npos);
  EXPECT_NE(r.out.find("{\"object\": \"ErrObject\"}"), std::string::npos);
}

TEST(Qxcall, BadUsageExitsTwo) {
  EXPECT_EQ(qxcall("").exitCode, 2);
  EXPECT_EQ(qxcall("QXVBUtils.QXUtilities QXSaveErrInfo l:notanumber s:a s:b").exitCode, 2);
  EXPECT_EQ(qxcall("QXVBUtils.QXUtilities QXSaveErrInfo x:ABC s:a s:b").exitCode, 2);
  EXPECT_EQ(qxcall("--help").exitCode, 0);
}

TEST(Qxcall, CallsChainOnTheSameObject) {
  const Outcome r = qxcall(
      "--json QXVBUtils.QXUtilities QXSetSetting s:chain s:v -- QXGetSetting s:chain s: l:9");
  EXPECT_EQ(r.out,
            "{\"result\": true, \"args\": [\"chain\", \"v\"]}\n"
            "{\"result\": true, \"args\": [\"chain\", \"v\", 9]}\n");
}

}  // namespace

namespace {

TEST(Qxcall, VariantArraysReachArrayMembers) {
  // QuickSort takes clsSortData objects; empty keys sort without error and
  // the array comes back with its three objects.
  const Outcome r = qxcall(
      "--json QXVBUtils.QXUtilities QuickSort "
      "\"va:o:QXVBUtils.clsSortData;o:QXVBUtils.clsSortData;o:QXVBUtils.clsSortData\"");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("{\"lbound\": 0, \"items\": [{\"object\": \"clsSortData\"}, "
                       "{\"object\": \"clsSortData\"}, {\"object\": \"clsSortData\"}]}"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(qxcall("--json QXVBUtils.QXUtilities QuickSort \"va:l:1;s:x\"").exitCode, 1);
}

}  // namespace

namespace {

TEST(Qxcall, PreviousResultGoesToACallOnAnotherClass) {
  const std::filesystem::path svg = qxvb::test::freshFolder("qxcall-picture") / "wide.svg";
  qxvb::test::writeFile(svg,
                        "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
                        "<rect width='20' height='10' fill='red'/></svg>");
  const Outcome r = qxcall("--json QXVBUtils.QX_File_Utils QX_File_LoadPicture2 s:" + svg.string() +
                           " b:true l:8 l:4 l:0 l:0 l:0 == QXVBUtils.QXUtilities "
                           "QX_Util_PictureToByteArray x: r:");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("{\"result\": {\"object\": \"Picture\"}"), std::string::npos) << r.out;
  // 8 by 4 pixels of 3 bytes after the 54 bytes of the bitmap's headers.
  EXPECT_NE(r.out.find("\n{\"result\": 150, \"args\": [{\"bytes\": \"424D96000000"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"object\": \"Picture\"}]}\n"), std::string::npos) << r.out;
  // Before any call there is no result; "==" needs the class.
  EXPECT_NE(qxcall("--json QXVBUtils.QXUtilities QXMax r: l:2").out.find("\"result\": 2"),
            std::string::npos);
  EXPECT_EQ(qxcall("QXVBUtils.QXUtilities QXGuidGen ==").exitCode, 2);
}

TEST(Qxcall, CollectionsCarryFilesIntoTheFileStore) {
  const std::filesystem::path folder = qxvb::test::freshFolder("qxcall-import");
  qxvb::test::writeFile(folder / "notes.txt", "alpha");
  std::filesystem::create_directories(folder / "Images");
  qxvb::test::writeFile(folder / "Images" / "pic.png", "png bytes");
  const std::string repo = (folder / "store.qxr").string();
  ASSERT_EQ(
      std::system((std::string(QXVB_BIN_DIR) + "/qxrepo create " + repo + " >/dev/null").c_str()),
      0);
  const std::string cs = "\"s:Provider=QXVB.SQLite;Data Source=" + repo + "\"";
  Outcome r = qxcall("--json QXVBUtils.QXFileManager Init_New_noADO s:Tour " + cs +
                     " l:0 -- ImportFiles \"col:s:" + (folder / "notes.txt").string() +
                     ";s:" + (folder / "Images" / "pic.png").string() + "\"");
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("{\"collection\": [[null, \"" + (folder / "notes.txt").string()),
            std::string::npos)
      << r.out;
  r = qxcall("--json ADODB.Connection Open " + cs +
             " -- Execute \"s:SELECT Name FROM Files ORDER BY Name\" ++ Collect s:Name "
             "-- MoveNext -- Collect s:Name");
  EXPECT_NE(r.out.find("\"result\": \"Images\\\\pic.png\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"result\": \"notes.txt\""), std::string::npos) << r.out;
  // An empty collection imports nothing and raises nothing.
  EXPECT_EQ(qxcall("--json QXVBUtils.QXFileManager Init_New_noADO s:Tour " + cs +
                   " l:0 -- ImportFiles col:")
                .exitCode,
            0);
}

}  // namespace

namespace {

qxvb::test::ProgramRun qxcallWith(std::vector<std::string> args, const std::string& input = {}) {
  args.insert(args.begin(), std::string(QXVB_BIN_DIR) + "/qxcall");
  return qxvb::test::runProgram(args, input, qxvb::test::freshFolder("qxcall-run"));
}

TEST(Qxcall, KeptObjectsReachTheXmlHelpersNodeMembers) {
  const auto r = qxcallWith({"--json",
                             "--as",
                             "doc",
                             "MSXML2.DOMDocument.6.0",
                             "LoadXML",
                             "s:<Model/>",
                             "==",
                             "QXVBUtils.QX_XMLHelper",
                             "--as",
                             "root",
                             "QX_XML_AddOrSetRoot",
                             "v:doc",
                             "s:Model",
                             "--",
                             "--as",
                             "entity",
                             "QX_XML_AddNode",
                             "v:doc",
                             "v:root",
                             "s:Entity",
                             "--",
                             "QX_XML_AddAttribute",
                             "v:doc",
                             "v:entity",
                             "s:Name",
                             "s:Customer",
                             "@@",
                             "entity",
                             "getAttribute",
                             "s:Name",
                             "@@",
                             "doc",
                             "xml"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("{\"result\": \"Customer\", \"args\": [\"Name\"]}\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"<Model><Entity Name=\\\"Customer\\\"/></Model>\\r\\n\""),
            std::string::npos)
      << r.out;
  // A name nothing is kept under is a usage error; a kept value that is no
  // object cannot be called.
  EXPECT_EQ(qxcallWith({"QXVBUtils.QXUtilities", "QXMax", "v:none", "l:1"}).exitCode, 2);
  const auto notObject = qxcallWith({"--json", "QXVBUtils.QXUtilities", "--as", "n", "QXMax", "l:1",
                                     "l:2", "@@", "n", "Anything"});
  EXPECT_EQ(notObject.exitCode, 1);
  EXPECT_NE(notObject.out.find("\"number\": 424"), std::string::npos) << notObject.out;
}

TEST(Qxcall, EventsArePrintedAsJsonLinesAsTheyHappen) {
  const std::filesystem::path folder = qxvb::test::freshFolder("qxcall-events");
  qxvb::test::writeFile(folder / "a.txt", "a");
  qxvb::test::writeFile(folder / "b.txt", "b");
  const std::string repo = (folder / "store.qxr").string();
  ASSERT_EQ(
      qxvb::test::runProgram({std::string(QXVB_BIN_DIR) + "/qxrepo", "create", repo}, "", folder)
          .exitCode,
      0);
  const auto r =
      qxcallWith({"QXVBUtils.QXFileManager", "Init_New_noADO", "s:T",
                  "s:Provider=QXVB.SQLite;Data Source=" + repo, "--", "ImportFiles",
                  "col:s:" + (folder / "a.txt").string() + ";s:" + (folder / "b.txt").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string events =
      "{\"event\": \"ProgressBarInit\", \"object\": \"QXFileManager\", \"args\": [0, 2]}\n"
      "{\"event\": \"ProgressBar\", \"object\": \"QXFileManager\", \"args\": [1]}\n"
      "{\"event\": \"ProgressBar\", \"object\": \"QXFileManager\", \"args\": [2]}\n"
      "{\"event\": \"ResetProgressBar\", \"object\": \"QXFileManager\", \"args\": []}\n"
      "result: null\n";
  EXPECT_NE(r.out.find(events), std::string::npos) << r.out;
}

TEST(Qxcall, LongFileListsComeFromStandardInputOrAFile) {
  // More than the 128 KiB one argument may hold.
  const std::filesystem::path folder =
      qxvb::test::freshFolder("qxcall-long") / std::string(200, 'd');
  std::filesystem::create_directories(folder);
  qxvb::test::writeFile(folder / "notes.txt", "notes");
  std::string list;
  while (list.size() < 140 * 1024) list += (folder / "notes.txt").string() + "\n";
  const std::string repo = (folder / "store.qxr").string();
  qxvb::test::runProgram({std::string(QXVB_BIN_DIR) + "/qxrepo", "create", repo}, "", folder);
  const std::string cs = "s:Provider=QXVB.SQLite;Data Source=" + repo;
  auto r = qxcallWith(
      {"QXVBUtils.QXFileManager", "Init_New_noADO", "s:T", cs, "--", "ImportFiles", "lines:-"},
      list);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const size_t count = list.size() / ((folder / "notes.txt").string().size() + 1);
  r = qxcallWith({"--json", "ADODB.Connection", "Open", cs, "--", "Execute",
                  "s:SELECT Version FROM Files", "++", "Collect", "l:0"});
  EXPECT_NE(r.out.find("{\"result\": " + std::to_string(count)), std::string::npos) << r.out;

  // Whole words of the command line from a file, one per line.
  qxvb::test::writeFile(
      folder / "words.txt",
      "--json\nQXVBUtils.QXUtilities\r\nQXSaveErrInfo\nl:5\n\ns:two words\ns:b\n");
  r = qxcallWith({"--args", (folder / "words.txt").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"args\": [5, \"two words\", \"b\"]"), std::string::npos) << r.out;
  EXPECT_EQ(qxcallWith({"--args", (folder / "missing.txt").string()}).exitCode, 2);
  // Standard input is read once.
  EXPECT_EQ(
      qxcallWith({"--args", "-", "QXMax", "l:1", "lines:-"}, "QXVBUtils.QXUtilities\n").exitCode,
      2);
}

TEST(Qxcall, MalformedEventAnswersAreBadUsage) {
  for (const char* answer : {"@answer", "@answer Ev", "@answer Ev 0=b:true", "@answer Ev 2",
                             "@answer Ev 2=b:true if 1", "@answer Ev 2=b:true if 1~a 3=s:x"}) {
    const Outcome r = qxcall(std::string("QXVBUtils.QXUtilities ") + answer);
    EXPECT_EQ(r.exitCode, 2) << answer << "\n" << r.out;
  }
  // A well-formed answer is no call: the next member still runs.
  const Outcome r = qxcall(
      "--json QXVBUtils.QXUtilities @answer ValidatePath 2=b:false if '1~*x*' -- QXMax l:1 l:2");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out, "{\"result\": 2, \"args\": [1, 2]}\n");
}

// The diagram members through qxcall, the host's repository named by the
// environment variable or opened by a call on the host.
TEST(Qxcall, DiagramMembersReachTheRunningHost) {
  const std::filesystem::path folder = qxvb::test::freshFolder("qxcall-diagrams");
  const std::string repo = (folder / "orders.qxr").string();
  ASSERT_EQ(std::system((std::string(QXVB_BIN_DIR) + "/qxrepo create " + repo + " >/dev/null && " +
                         QXVB_BIN_DIR + "/qxrepo model " + repo + " " + QXVB_SOURCE_DIR +
                         "/data/diagrams/sample-model.xml >/dev/null")
                            .c_str()),
            0);
  const std::string out = (folder / "a").string();
  // Without a running repository every export answers 1.
  Outcome r = qxcall("--json QXVBUtils.QXUtilities QX_DiagramToBitmap l:1 s:" + out + ".bmp");
  EXPECT_NE(r.out.find("{\"result\": 1, \"args\": [1, \"" + out + ".bmp\"]}\n"), std::string::npos)
      << r.out;
  r = qxcall("--json QxHost.Application OpenRuzuderedevu s:" + repo +
             " == QXVBUtils.QXUtilities QX_DiagramToBitmap3 l:1 s:" + out +
             ".bmp l:0 l:0 l:475 b:true l:0 l:0 l:0 l:0 d:0"
             " -- QX_DiagramToBitmap2 l:3 s:" +
             out +
             "2.bmp l:0 l:0"
             " -- QX_DiagramToJPEG l:1 s:" +
             out +
             ".jpg l:0 l:0 e: s:"
             " -- QX_DiagramToJPEGNoErrStr l:2 s:" +
             out +
             "2.jpg l:0 l:0"
             " -- QX_DiagramToPNG l:1 s:" +
             out +
             ".png"
             " -- QX_DiagramToPNGNoErrStr l:3 s:" +
             out +
             "3.png l:0 l:0 l:100"
             " -- QX_DiagramToSVGNoErrStr l:1 s:" +
             out +
             ".svg"
             " -- QX_GetUserSuppliedIconForExplorer l:12 l:7 b:false"
             " -- QX_GetLastIconForExplorerErrorMsg s:"
             " -- QX_ResetExplorerIconsForNewEncy");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("{\"result\": 0, \"args\": [1, \"" + out +
                       ".bmp\", 475, 305, 475, true, 0, 0, 950, 610, 0.5]}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"result\": 0, \"args\": [1, \"" + out + ".jpg\", 950, 610, "),
            std::string::npos);
  EXPECT_NE(r.out.find("{\"result\": 0, \"args\": [3, \"" + out + "3.png\", 100, 60, 100]}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(
      r.out.find("\"The explorer icons could not be exported from the repository (status 2).\""),
      std::string::npos)
      << r.out;
  // The variable names the repository a process's host has open.
  r = qxcall("--json QXVBUtils.QXUtilities QX_DiagramToSVG l:2 s:" + out + "-2.svg s:",
             "QXHOST_REPOSITORY=" + repo);
  EXPECT_NE(r.out.find("{\"result\": 3, \"args\": [2, \"" + out +
                       "-2.svg\", \"Problems were found in diagram Take Order (Data Flow Diagram) "
                       "exported to " +
                       out + "-2.svg:\\r\\nRecord Order has no flow into the Orders store."),
            std::string::npos)
      << r.out;
}

TEST(Qxcall, RecordsAndEscapedStringsReachTheDialogRecords) {
  // The whole record through Struct, then one field read back.
  Outcome r = qxcall(
      "--json QXVBUtils.QXCommonDlg FileDialog ++ --put Struct "
      "'rec:OPENFILENAME|sFile=s:abc|flags=l:512|nFileOffset=i:3' -- sFile -- nFileOffset");
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("{\"result\": \"abc\", \"args\": []}\n{\"result\": 3, \"args\": []}"),
            std::string::npos)
      << r.out;
  // A filter with its NULs.
  r = qxcall(
      "--json QXVBUtils.QXCommonDlg FileDialog ++ --put sFilter 'esc:A\\0*.a\\0\\0' -- sFilter");
  EXPECT_NE(r.out.find("{\"result\": \"A\\u0000*.a\\u0000\\u0000\""), std::string::npos) << r.out;
  // Another record type, a missing type, a bad escape: refused.
  EXPECT_EQ(qxcall("QXVBUtils.QXCommonDlg FileDialog ++ --put Struct 'rec:LOGFONT|lfHeight=l:1'")
                .exitCode,
            1);
  EXPECT_EQ(qxcall("QXVBUtils.QXUtilities QXMax 'rec:' l:1").exitCode, 2);
  EXPECT_EQ(qxcall("QXVBUtils.QXUtilities QXMax 'esc:a\\q' l:1").exitCode, 2);
}

}  // namespace
