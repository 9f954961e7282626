#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/plat_ini.h"
#include "support/temp_dir.h"

namespace {

struct FindCase {
  const char* text;
  const char* section;
  const char* key;
  bool found;
  const char* value;
};

TEST(PlatIni, FindFollowsProfileRules) {
  const FindCase cases[] = {
      {"[A]\nk=v\n", "A", "k", true, "v"},
      {"[A]\r\nk=v\r\n", "a", "K", true, "v"},                     // CRLF, case-insensitive names
      {"\xEF\xBB\xBF[A]\nk=v", "A", "k", true, "v"},               // byte-order mark, no last line end
      {"[ A ]\n  k  =  spaced value  \n", "A", "k", true, "spaced value"},
      {"[A]\nk=\"quoted \"\n", "A", "k", true, "quoted "},
      {"[A]\nk='x'\n", "A", "k", true, "x"},
      {"[A]\nk=\"x'\n", "A", "k", true, "\"x'"},                    // unmatched quotes stay
      {"[A]\nk=a ; not a comment\n", "A", "k", true, "a ; not a comment"},
      {"[A]\n;k=commented\nk=real\n", "A", "k", true, "real"},
      {"[A]\nk=first\nk=second\n", "A", "k", true, "first"},
      {"[A]\nk=one\n[a]\nk=two\n", "A", "k", true, "one"},          // first section wins
      {"[A]\nx=1\n[A]\nk=two\n", "A", "k", false, ""},              // only the first section is used
      {"k=outside\n[A]\n", "A", "k", false, ""},
      {"[A]\nno equals here\n", "A", "no equals here", false, ""},
      {"[A]\nk=\n", "A", "k", true, ""},
      {"[A]\nk=a=b\n", "A", "k", true, "a=b"},
      {"[A] trailing\nk=v\n", "A", "k", true, "v"},
      {"[B]\nk=v\n", "A", "k", false, ""},
      {"[SOFTWARE\\Maker]\nInstallDir=C:\\X\n", "software\\maker", "installdir", true, "C:\\X"},
  };
  for (const FindCase& c : cases) {
    std::string value = "untouched";
    bool found = plat_IniFind(c.text, c.section, c.key, &value);
    EXPECT_EQ(found, c.found) << c.text;
    if (c.found) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(PlatIni, UpdateKeepsEveryOtherByte) {
  // Replace in place: comments, blank lines, odd spacing and other sections stay byte for byte.
  std::string text = "; head\r\n[One]\r\n  a = 1 \r\n\r\n; note\r\n[Two]\r\nb=2\r\n";
  ASSERT_TRUE(plat_IniUpdate(&text, "one", "A", "9"));
  EXPECT_EQ(text, "; head\r\n[One]\r\nA=9\r\n\r\n; note\r\n[Two]\r\nb=2\r\n");

  // A new key goes after the last key line of its section, with the file's line ends.
  ASSERT_TRUE(plat_IniUpdate(&text, "One", "c", "3"));
  EXPECT_EQ(text, "; head\r\n[One]\r\nA=9\r\nc=3\r\n\r\n; note\r\n[Two]\r\nb=2\r\n");

  // A new section is appended.
  std::string lf = "[X]\nk=v";
  ASSERT_TRUE(plat_IniUpdate(&lf, "Y", "n", "1"));
  EXPECT_EQ(lf, "[X]\nk=v\n[Y]\nn=1\n");
  // A key added to a last line without a line end.
  std::string open = "[X]\nk=v";
  ASSERT_TRUE(plat_IniUpdate(&open, "X", "n", "1"));
  EXPECT_EQ(open, "[X]\nk=v\nn=1");
  // A last line that ends in a lone carriage return.
  std::string cr = "[X]\nk=v\r";
  ASSERT_TRUE(plat_IniUpdate(&cr, "X", "n", "1"));
  EXPECT_EQ(cr, "[X]\nk=v\r\nn=1");
  // A section header with no keys.
  std::string bare = "[X]\n[Y]\n";
  ASSERT_TRUE(plat_IniUpdate(&bare, "X", "k", "v"));
  EXPECT_EQ(bare, "[X]\nk=v\n[Y]\n");
  // An empty text becomes CRLF lines.
  std::string empty;
  ASSERT_TRUE(plat_IniUpdate(&empty, "S", "k", "v"));
  EXPECT_EQ(empty, "[S]\r\nk=v\r\n");
  // And it all reads back.
  std::string value;
  EXPECT_TRUE(plat_IniFind(text, "one", "c", &value));
  EXPECT_EQ(value, "3");
}

TEST(PlatIni, UpdateRefusesNamesThatCannotRoundTrip) {
  std::string text = "[S]\nk=v\n";
  const std::string before = text;
  EXPECT_FALSE(plat_IniUpdate(&text, "bad]name", "k", "v"));
  EXPECT_FALSE(plat_IniUpdate(&text, "two\nlines", "k", "v"));
  EXPECT_FALSE(plat_IniUpdate(&text, "", "k", "v"));
  EXPECT_FALSE(plat_IniUpdate(&text, "S", "a=b", "v"));
  EXPECT_FALSE(plat_IniUpdate(&text, "S", ";k", "v"));
  EXPECT_FALSE(plat_IniUpdate(&text, "S", "k", "line\r\nbreak"));
  EXPECT_EQ(text, before);
}

TEST(PlatIni, ProfileReadCutsAndReturnsTheDefaultVerbatim) {
  TempDir folder;
  folder.Write("a.ini", "[S]\nlong=" + std::string(70, 'x') + "\nshort=ab\n");
  std::string path = folder.Windows() + "\\A.INI";  // found without regard to case
  char buffer[64];
  EXPECT_EQ(plat_ProfileGetString("s", "LONG", "0", buffer, 62, path.c_str()), 61u);
  EXPECT_EQ(std::strlen(buffer), 61u);
  EXPECT_EQ(plat_ProfileGetString("S", "short", "0", buffer, 2, path.c_str()), 1u);
  EXPECT_STREQ(buffer, "a");
  EXPECT_EQ(plat_ProfileGetString("S", "missing", " ", buffer, 10, path.c_str()), 1u);
  EXPECT_STREQ(buffer, " ");
  EXPECT_EQ(plat_ProfileGetText("S", "nokey", "0", 10, (folder.Windows() + "\\none.ini").c_str()), "0");
  EXPECT_EQ(plat_ProfileGetString("S", "short", "0", buffer, 0, path.c_str()), 0u);
}

TEST(PlatIni, ProfileWriteIsAtomicAndCreatesTheFile) {
  TempDir folder;
  std::string path = folder.Windows() + "\\state.ini";
  ASSERT_TRUE(plat_ProfileWriteString("game", "doneeula", "1", path.c_str()));
  EXPECT_EQ(folder.Contents("state.ini"), "[game]\r\ndoneeula=1\r\n");
  folder.Write("state.ini", "; keep\n[Other]\nx=1\n[game]\ndoneeula=0\n");
  ASSERT_TRUE(plat_ProfileWriteString("GAME", "doneeula", "1", path.c_str()));
  ASSERT_TRUE(plat_ProfileWriteString("game", "doneinstall", "5", path.c_str()));
  EXPECT_EQ(folder.Contents("state.ini"), "; keep\n[Other]\nx=1\n[game]\ndoneeula=1\ndoneinstall=5\n");
  int entries = 0;  // no temporary file is left
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) entries += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 1);
  // A folder in the way, or a missing folder, is a failure, not a new file elsewhere.
  std::filesystem::create_directories(folder.path() / "dir.ini");
  EXPECT_FALSE(plat_ProfileWriteString("s", "k", "v", (folder.Windows() + "\\dir.ini").c_str()));
  EXPECT_FALSE(plat_ProfileWriteString("s", "k", "v", (folder.Windows() + "\\no\\x.ini").c_str()));
  EXPECT_FALSE(plat_ProfileWriteString("bad]", "k", "v", path.c_str()));
}

}  // namespace
