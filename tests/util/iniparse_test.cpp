// Tests of IniParse on real files: syntax, the three modes, their messages and exceptions.
// SPDX-License-Identifier: MIT
#include "util/iniparse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "util/util.h"

namespace orvane {
namespace {

using Section = IniParse::Section;
using Names = std::vector<std::string>;

const char kSettings[] =
    "# ORVANE settings\n"
    "[Server]\n"
    "  Address   =   http://127.0.0.1/liveacars.php  \n"
    "PIREP = http://127.0.0.1/pirep.php\n"
    "\n"
    "   \t\n"
    "  # a comment line\n"
    "User=pilot#1\n"
    "Password = a=b=c\n"
    ";Note = semicolon starts a key\n"
    "= empty key\n"
    "Empty =\n"
    "[ACARS]\n"
    "POSReportTime = 10\n"
    "EnableLiveACARS = 1\n";

const Section kServer = {
    {"Address", "http://127.0.0.1/liveacars.php"},
    {"PIREP", "http://127.0.0.1/pirep.php"},
    {"User", "pilot#1"},
    {"Password", "a=b=c"},
    {";Note", "semicolon starts a key"},
    {"", "empty key"},
    {"Empty", ""},
};

// Runs f and returns the text of the exception of type E it throws; fails if it throws
// nothing or something else.
template <class E, class F>
std::string thrown_text(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "other exception: " << e.what();
    return "";
  }
  ADD_FAILURE() << "no exception";
  return "";
}

class IniParseTest : public ::testing::Test {
 protected:
  std::string write(const std::string& content, const std::string& name = "orvane.ini") {
    return dir.write(name, content);
  }
  test::TempDir dir;
};

// --- syntax ----------------------------------------------------------------------------

TEST_F(IniParseTest, ReadsKeysAndValuesWithoutSurroundingBlanks) {
  IniParse p(write(kSettings), "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Section("Server"), kServer);
  EXPECT_EQ(p.Get_Value("Server", "Address"), "http://127.0.0.1/liveacars.php");
  EXPECT_EQ(p.Get_Value("ACARS", "POSReportTime"), "10");
  EXPECT_EQ(p.Get_Value("ACARS", "EnableLiveACARS"), "1");
}

TEST_F(IniParseTest, CrLfLineEndsAndMissingLastLineEndReadTheSame) {
  std::string crlf;
  for (char c : std::string(kSettings)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string no_last_end(kSettings);
  no_last_end.pop_back();
  std::string crlf_no_last_end = crlf;
  crlf_no_last_end.resize(crlf.size() - 2);

  for (const std::string& content : {crlf, no_last_end, crlf_no_last_end}) {
    IniParse p(write(content), "#", "=", IP_SLOPPY);
    EXPECT_EQ(p.Get_Section("Server"), kServer);
    EXPECT_EQ(p.Get_Section("ACARS"), (Section{{"POSReportTime", "10"}, {"EnableLiveACARS", "1"}}));
    EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS"}));
  }
}

TEST_F(IniParseTest, AByteOrderMarkAtTheStartIsSkipped) {
  // Editors on Windows save "UTF-8" with EF BB BF in front; the first section is still there.
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& content : {bom + "[Server]\nUser = pilot\n[ACARS]\nPOSReportTime = 7\n",
                                     bom + "# comment\n[Server]\nUser = pilot\n"}) {
    IniParse p(write(content), "#", "=", IP_ERROR);
    EXPECT_EQ(p.Get_Value_Default("Server", "User", "missing"), "pilot");
    EXPECT_EQ(p.Get_All_Sections()[0], "Server");
    EXPECT_EQ(p.Get_Section("Server"), (Section{{"User", "pilot"}}));
  }
  // Only at the very start: the same bytes further in are text like any other.
  IniParse later(write("[A]\nkey = \xEF\xBB\xBFvalue\n"), "#", "=", IP_ERROR);
  EXPECT_EQ(later.Get_Value("A", "key"), "\xEF\xBB\xBFvalue");
  // The raw copy keeps the file's bytes.
  const std::string raw = bom + "[Server]\n";
  IniParse copy(write(raw), "#", "=", IP_SLOPPY);
  std::ostringstream out;
  out << copy;
  EXPECT_EQ(out.str(), raw);
}

TEST_F(IniParseTest, SectionNamesAreTakenExactlyAndCaseSensitive) {
  IniParse p(write("[ My Section ] trailing text\nk=v\n[Lower]\nKey=1\n"), "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Value(" My Section ", "k"), "v");
  EXPECT_EQ(p.Get_Value("My Section", "k"), "");
  EXPECT_EQ(p.Get_Value("lower", "Key"), "");
  EXPECT_EQ(p.Get_Value("Lower", "key"), "");
  EXPECT_EQ(p.Get_Value("Lower", "Key"), "1");
  EXPECT_EQ(p.Get_All_Sections(), (Names{" My Section ", "Lower"}));
}

TEST_F(IniParseTest, RepeatedKeyLastWinsRepeatedSectionFirstOnly) {
  IniParse p(write("[Server]\nUser = a\nUser = b\n[ACARS]\nx=1\n[Server]\nUser = c\nExtra = e\n"),
             "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Value("Server", "User"), "b");
  EXPECT_EQ(p.Get_Value("Server", "Extra"), "");
  EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS", "Server"}));
  const auto whole = p.Get_IniFile();
  EXPECT_EQ(whole.size(), 2u);
  EXPECT_EQ(whole.at("Server"), (Section{{"User", "b"}}));
  EXPECT_EQ(whole.at("ACARS"), (Section{{"x", "1"}}));
}

TEST_F(IniParseTest, LinesOutsideTheWantedSectionAreNeverReported) {
  const std::string file = write(
      "stray line without delimiter\nkey=before any section\n"
      "[Other]\nno delimiter here\n[Wanted]\nk = v\n[broken after\n");
  for (Mode mode : {IP_SLOPPY, IP_WARN, IP_ERROR}) {
    IniParse p(file, "#", "=", mode);
    std::string err;
    EXPECT_EQ(p.Get_Section("Wanted", &err), (Section{{"k", "v"}}));
    EXPECT_EQ(err, "");
  }
}

TEST_F(IniParseTest, MalformedHeadInsideTheSectionEndsIt) {
  IniParse p(write("[A]\nk=1\n  [oops\nm=2\n"), "#", "=", IP_ERROR);
  EXPECT_EQ(p.Get_Section("A"), (Section{{"k", "1"}}));
}

TEST_F(IniParseTest, OtherCommentAndDelimiterCharacterSets) {
  IniParse p(write("[S]\n; comment = not a key\n# hash is a key = yes\nname: value = x\nb:2\n"),
             ";", ":=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Section("S"),
            (Section{{"# hash is a key", "yes"}, {"name", "value = x"}, {"b", "2"}}));
}

TEST_F(IniParseTest, BlankDelimiterDoesNotSplitInsideTheIndentation) {
  IniParse p(write("[S]\n   key value with blanks\n\tother\tthing\n"), "#", " \t", IP_SLOPPY);
  EXPECT_EQ(p.Get_Section("S"), (Section{{"key", "value with blanks"}, {"other", "thing"}}));
}

TEST_F(IniParseTest, ValueListIsTokenizedAndTrimmed) {
  IniParse p(write("[S]\nlist = EDDF , EDDM;; KJFK ,\nsingle = x\n"), "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Value_List("S", "list", {",", ";"}), (Names{"EDDF", "EDDM", "KJFK"}));
  EXPECT_EQ(p.Get_Value_List("S", "single", {","}), (Names{"x"}));
  EXPECT_EQ(p.Get_Value_List("S", "missing", {","}), Names{});
}

// --- the three modes -----------------------------------------------------------------

const char kFaulty[] =
    "[Server]\n"
    "Address = here\n"
    "no delimiter one\n"
    "no delimiter two\n"
    "[ACARS]\n"
    "x = 1\n";

TEST_F(IniParseTest, SloppySkipsMalformedLinesAndMissingEntriesSilently) {
  IniParse p(write(std::string(" [bad head\n") + kFaulty), "#", "=", IP_SLOPPY);
  std::string err;
  EXPECT_EQ(p.Get_Section("Server", &err), (Section{{"Address", "here"}}));
  EXPECT_EQ(p.Get_Value("Server", "Nope", &err), "");
  EXPECT_EQ(p.Get_Value("Nope", "Nope", &err), "");
  EXPECT_EQ(p.Get_Section("Nope", &err), Section{});
  EXPECT_EQ(p.Get_All_Sections(&err), (Names{"Server", "ACARS"}));
  EXPECT_EQ(err, "");
}

TEST_F(IniParseTest, WarnAppendsEachMessageInOrderMet) {
  IniParse p(write(std::string(" [bad head\n") + kFaulty), "#", "=", IP_WARN);
  std::string err = "earlier|";
  EXPECT_EQ(p.Get_Section("Server", &err), (Section{{"Address", "here"}}));
  EXPECT_EQ(err,
            "earlier|"
            "Invalid section head found while parsing line < [bad head>."
            "No Key/Value delimiter found while parsing section [Server].\n"
            "No Key/Value delimiter found while parsing section [Server].\n");

  err.clear();
  EXPECT_EQ(p.Get_Value("ACARS", "y", &err), "");
  EXPECT_EQ(err,
            "Invalid section head found while parsing line < [bad head>."
            "Key y in section ACARS not found.\n");

  err.clear();
  EXPECT_EQ(p.Get_Value("Gone", "k", &err), "");
  EXPECT_EQ(err,
            "Invalid section head found while parsing line < [bad head>."
            "Section Gone not found."
            "Key k in section Gone not found.\n");

  err.clear();
  EXPECT_EQ(p.Get_All_Sections(&err), (Names{"Server", "ACARS"}));
  EXPECT_EQ(err, "No correct section head found while parsing line < [bad head>.\n");
}

TEST_F(IniParseTest, WarnWithoutErrorStringBehavesLikeSloppy) {
  IniParse p(write(std::string(" [bad head\n") + kFaulty), "#", "=", IP_WARN);
  EXPECT_EQ(p.Get_Section("Server"), (Section{{"Address", "here"}}));
  EXPECT_EQ(p.Get_Value("Gone", "k"), "");
  EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS"}));
}

TEST_F(IniParseTest, ErrorThrowsAtTheFirstProblemWithItsKindAndText) {
  IniParse bad_head(write(std::string(" [bad head\n") + kFaulty, "a.ini"), "#", "=", IP_ERROR);
  EXPECT_EQ(thrown_text<std::runtime_error>([&] { bad_head.Get_Section("Server"); }),
            "Invalid section head found while parsing line < [bad head>.");
  EXPECT_EQ(thrown_text<std::runtime_error>([&] { bad_head.Get_All_Sections(); }),
            "No correct section head found while parsing line < [bad head>.");

  IniParse p(write(kFaulty, "b.ini"), "#", "=", IP_ERROR);
  std::string err;
  EXPECT_EQ(thrown_text<std::runtime_error>([&] { p.Get_Value("Server", "Address", &err); }),
            "No Key/Value delimiter found while parsing section [Server].");
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_Section("Gone"); }),
            "Section Gone not found.");
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_Value("ACARS", "y"); }),
            "Key y in section ACARS not found.");
  EXPECT_EQ(p.Get_Value("ACARS", "x"), "1");
  EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS"}));
  EXPECT_EQ(err, "");  // IP_ERROR never writes to the string
}

TEST_F(IniParseTest, MissingFileIsDomainErrorWithTheFileNameInEveryMode) {
  const std::string missing = dir.file("no such file.ini");
  for (Mode mode : {IP_SLOPPY, IP_WARN, IP_ERROR}) {
    EXPECT_EQ(thrown_text<std::domain_error>([&] { IniParse p(missing, "#", "=", mode); }),
              missing);
  }
  IniParse p;
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Open(missing, "#", "=", IP_WARN); }), missing);
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_Value("Server", "Address"); }), missing);
}

TEST_F(IniParseTest, DefaultConstructedParserHasDefaultsAndNoFile) {
  IniParse p;
  EXPECT_EQ(p.mode(), IP_SLOPPY);
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_Section("S"); }), "");
  p.Open(write("[S]\n# c\nk=v\n"), "#", "=", IP_WARN);
  EXPECT_EQ(p.mode(), IP_WARN);
  EXPECT_EQ(p.Get_Section("S"), (Section{{"k", "v"}}));
}

// --- Get_Value_Default ---------------------------------------------------------------

TEST_F(IniParseTest, ValueDefaultAbsorbsMissingEntriesOnly) {
  IniParse p(write(kSettings), "#", "=", IP_WARN);
  EXPECT_EQ(p.Get_Value_Default("Server", "Address", "d"), "http://127.0.0.1/liveacars.php");
  EXPECT_EQ(p.Get_Value_Default("Server", "Empty", "d"), "");
  EXPECT_EQ(p.Get_Value_Default("Server", "FlightInfo", "d"), "d");
  EXPECT_EQ(p.Get_Value_Default("Nope", "Address", "d"), "d");
  EXPECT_EQ(p.mode(), IP_WARN);
}

TEST_F(IniParseTest, ValueDefaultPassesMalformedLinesOnAndRestoresTheMode) {
  IniParse head(write("[broken\n[Server]\nAddress = x\n", "head.ini"), "#", "=", IP_SLOPPY);
  EXPECT_EQ(thrown_text<std::runtime_error>([&] { head.Get_Value_Default("Server", "Address", "d"); }),
            "Invalid section head found while parsing line <[broken>.");
  EXPECT_EQ(head.mode(), IP_SLOPPY);
  EXPECT_EQ(head.Get_Value("Server", "Address"), "x");

  IniParse line(write(kFaulty, "line.ini"), "#", "=", IP_WARN);
  EXPECT_EQ(thrown_text<std::runtime_error>([&] { line.Get_Value_Default("Server", "Address", "d"); }),
            "No Key/Value delimiter found while parsing section [Server].");
  EXPECT_EQ(line.mode(), IP_WARN);
  EXPECT_EQ(line.Get_Value_Default("ACARS", "x", "d"), "1");
  EXPECT_EQ(line.Get_Value_Default("ACARS", "gone", "d"), "d");
  EXPECT_EQ(line.mode(), IP_WARN);
}

TEST_F(IniParseTest, DeletedFileAfterConstruction) {
  const std::string file = write(kSettings);
  IniParse p(file, "#", "=", IP_SLOPPY);
  ASSERT_EQ(std::remove(file.c_str()), 0);
  EXPECT_EQ(p.Get_Value_Default("Server", "Address", "default"), "default");
  EXPECT_EQ(p.mode(), IP_SLOPPY);
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_Value("Server", "Address"); }), file);
  EXPECT_EQ(thrown_text<std::domain_error>([&] { p.Get_All_Sections(); }), file);
}

// --- reading anew, odd input ---------------------------------------------------------

TEST_F(IniParseTest, EveryQuerySeesTheCurrentFile) {
  const std::string file = write("[S]\nk = 1\n");
  IniParse p(file, "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Value("S", "k"), "1");
  write("[S]\nk = 2\n[T]\n");
  EXPECT_EQ(p.Get_Value("S", "k"), "2");
  EXPECT_EQ(p.Get_All_Sections(), (Names{"S", "T"}));
  // Replaced by a new file under the same name.
  const std::string other = write("[S]\nk = 3\n", "other.ini");
  ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
  EXPECT_EQ(p.Get_Value("S", "k"), "3");
}

TEST_F(IniParseTest, AllSectionsAfterOtherQueriesStillListsEverySection) {
  IniParse p(write(kSettings), "#", "=", IP_SLOPPY);
  EXPECT_EQ(p.Get_Value("ACARS", "POSReportTime"), "10");
  EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS"}));
  EXPECT_EQ(p.Get_All_Sections(), (Names{"Server", "ACARS"}));
  EXPECT_EQ(p.Get_Value("Server", "User"), "pilot#1");
}

TEST_F(IniParseTest, CopyReadsTheSameFileOnItsOwn) {
  IniParse p(write(kSettings), "#", "=", IP_WARN);
  IniParse copy(p);
  EXPECT_EQ(copy.mode(), IP_WARN);
  EXPECT_EQ(copy.Get_All_Sections(), (Names{"Server", "ACARS"}));
  EXPECT_EQ(copy.Get_Section("Server"), kServer);
  EXPECT_EQ(p.Get_Section("Server"), kServer);
}

TEST_F(IniParseTest, WritingToAStreamCopiesTheRawFile) {
  const char bytes[] = "[S]\r\nk = v # x\r\n\0\xff tail";
  const std::string raw(bytes, sizeof bytes - 1);
  IniParse p(write(raw), "#", "=", IP_SLOPPY);
  std::ostringstream free_op;
  std::ostream& r = free_op << p;
  EXPECT_EQ(&r, &free_op);
  EXPECT_EQ(free_op.str(), raw);

  EXPECT_EQ(p.Get_Value("S", "k"), "v # x");
  std::ostringstream member_op;
  p << member_op;
  EXPECT_EQ(member_op.str(), raw);

  IniParse empty(write("", "empty.ini"), "#", "=", IP_SLOPPY);
  std::ostringstream out;
  out << empty;
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(out.good());
}

TEST_F(IniParseTest, BinaryBytesAnswerByTheModeRules) {
  std::string junk;
  unsigned state = 7;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    char c = static_cast<char>(state >> 16);
    if (c == '[') c = '{';  // no section heads, so every mode's answer is known
    junk += c;
  }
  const std::string file = write(junk);
  IniParse sloppy(file, "#", "=", IP_SLOPPY);
  EXPECT_EQ(sloppy.Get_Value("Server", "Address"), "");
  EXPECT_EQ(sloppy.Get_All_Sections(), Names{});
  EXPECT_EQ(sloppy.Get_Value_Default("Server", "Address", "d"), "d");

  IniParse warn(file, "#", "=", IP_WARN);
  std::string err;
  EXPECT_EQ(warn.Get_Value("Server", "Address", &err), "");
  EXPECT_EQ(err, "Section Server not found.Key Address in section Server not found.\n");

  IniParse error(file, "#", "=", IP_ERROR);
  EXPECT_EQ(thrown_text<std::domain_error>([&] { error.Get_Section("Server"); }),
            "Section Server not found.");
}

TEST_F(IniParseTest, BinaryBytesInsideASectionAreKeysValuesOrSkippedLines) {
  std::string content = "[Bin]\n";
  for (int b = 0; b < 256; ++b) {
    if (b == '\n' || b == '[') continue;
    content += std::string("k") + static_cast<char>(b) + "=" + static_cast<char>(b) + "\n";
    content += static_cast<char>(b);
    content += '\n';
  }
  IniParse p(write(content), "#", "=", IP_SLOPPY);
  const Section s = p.Get_Section("Bin");
  // Every other byte makes its own key and value; the lone lines are comments, blank
  // or lines without delimiter, and are skipped.
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (b == '\n' || b == '[' || b == '=' || !no_space(c)) continue;
    EXPECT_EQ(s.at(std::string("k") + c), std::string(1, c)) << b;
  }
  // The blank bytes are trimmed from key and value, so those lines and the "k===" line
  // all store under "k"; the last of them ("k===", split at its first "=") wins.
  EXPECT_EQ(s.at("k"), "==");
  EXPECT_EQ(s.at(""), "");  // the lone "=" line
  EXPECT_EQ(s.size(), 254u - 6u + 2u);
}

TEST_F(IniParseTest, VeryLongLinesAreRead) {
  const std::string long_value(3 * 1024 * 1024, 'v');
  const std::string long_noise(1024 * 1024, 'x');
  IniParse p(write(long_noise + "\n[S]\n" + long_noise + "\nk = " + long_value + "\n"), "#", "=",
             IP_WARN);
  std::string err;
  EXPECT_EQ(p.Get_Value("S", "k", &err), long_value);
  EXPECT_EQ(err, "No Key/Value delimiter found while parsing section [S].\n");
}

}  // namespace
}  // namespace orvane
