#include "app/windows/argument_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/text.h"

namespace kestro {
namespace {

TEST(ArgumentText, ProgramNameRemovedAsTheCRuntimeRemovesIt) {
  const struct {
    std::u16string_view commandLine;
    std::u16string_view name;
    std::u16string_view argumentText;
  } cases[] = {
      {u"", u"", u""},
      {u"Kestro.exe", u"Kestro.exe", u""},
      {u"Kestro.exe /PNP", u"Kestro.exe", u"/PNP"},
      {u"Kestro.exe \t  /PNP  /Type1  ", u"Kestro.exe", u"/PNP  /Type1  "},
      {u"\"C:\\Program Files\\Kestro\\Kestro.exe\" /File:r.ini", u"C:\\Program Files\\Kestro\\Kestro.exe",
       u"/File:r.ini"},
      {u"\"C:\\a b\"\\Kestro.exe /PNP", u"C:\\a b\\Kestro.exe", u"/PNP"},           // quotes open and close stretches
      {u"\"C:\\Kestro.exe\"/PNP", u"C:\\Kestro.exe/PNP", u""},                      // no blank: still the name
      {u"\"C:\\Program Files\\Kestro.exe", u"C:\\Program Files\\Kestro.exe", u""},  // unclosed quote
      {u"Kestro.exe /File:\"C:\\My Reports\\r.ini\"", u"Kestro.exe", u"/File:\"C:\\My Reports\\r.ini\""},
      {u"Kestro.exe\t/SHOWDIALOG", u"Kestro.exe", u"/SHOWDIALOG"},
  };
  for (const auto& [commandLine, name, argumentText] : cases) {
    const FirstWord split = SplitFirstWord(commandLine);
    EXPECT_EQ(split.word, name) << ToUtf8(commandLine);
    EXPECT_EQ(split.rest, argumentText) << ToUtf8(commandLine);
    EXPECT_EQ(ArgumentTextOf(commandLine), argumentText) << ToUtf8(commandLine);
  }
}

// The recorder's arguments and the replay's informational ones.
TEST(ArgumentText, WordsSplitAsTheFirstWordIs) {
  EXPECT_EQ(SplitWords(u"a.json \t\"C:\\My Files\\b.json\" --help "),
            (std::vector<std::u16string>{u"a.json", u"C:\\My Files\\b.json", u"--help"}));
  EXPECT_TRUE(SplitWords(u"").empty());
}

// The Windows reading of "/File:": the path ends at the first space after
// it, quotation marks included in it.
TEST(ArgumentText, OutputPathFromTheWholeCommandLine) {
  const struct {
    std::u16string_view commandLine;
    std::u16string_view outputPath;
  } cases[] = {
      {u"Kestro.exe", u"Kestro.ini"},
      {u"Kestro.exe /File:C:\\out\\r.ini /PNP", u"C:\\out\\r.ini"},
      {u"Kestro.exe /PNP /File:r.ini", u"r.ini"},
      {u"\"C:\\Program Files\\Kestro.exe\" /file:r.ini", u"r.ini"},
      {u"Kestro.exe /File:\"C:\\My Reports\\r.ini\"", u"\"C:\\My"},
      {u"Kestro.exe /File:", u""},
      {u"Kestro.exe /File: /PNP", u""},
      {u"Kestro.exe /File:a.ini /File:b.ini", u"a.ini"},
  };
  for (const auto& [commandLine, outputPath] : cases) {
    const CommandLine line = CommandLine::FromArgumentText(std::u16string(ArgumentTextOf(commandLine)));
    EXPECT_EQ(SettleOutputPath(line).path, outputPath) << ToUtf8(commandLine);
  }
}

}  // namespace
}  // namespace kestro
