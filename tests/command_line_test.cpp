#include "core/command_line.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kestro {
namespace {

using testing::Narrow;

struct LineCase {
  const char16_t* argumentText;
  bool pnp, type1, showDialog;
  const char* path;
};

class ArgumentText : public ::testing::TestWithParam<LineCase> {};

// One command-line text, as Windows hands it over: the path ends at a space.
TEST_P(ArgumentText, GivesSwitchesAndPath) {
  const LineCase& c = GetParam();
  const Switches switches = ReadSwitches(c.argumentText);
  EXPECT_EQ(switches.pnp, c.pnp);
  EXPECT_EQ(switches.type1, c.type1);
  EXPECT_EQ(switches.showDialog, c.showDialog);
  const OutputTarget target = SettleOutputPath(CommandLine::FromArgumentText(c.argumentText));
  EXPECT_EQ(Narrow(target.path), c.path);
  // Named by the user wherever "/File:" stands, even with an empty path.
  EXPECT_EQ(target.namedBy, std::string_view(c.path) == "Kestro.ini" ? NamedBy::DefaultName : NamedBy::FileSwitch);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ArgumentText,
    ::testing::Values(LineCase{u"", false, false, false, "Kestro.ini"},
                      LineCase{u"/pnp", true, false, false, "Kestro.ini"},
                      LineCase{u"/TYPE1", false, true, false, "Kestro.ini"},
                      LineCase{u"/file:r.ini", false, false, false, "r.ini"},
                      LineCase{u"/PNPX /type1x", true, true, false, "Kestro.ini"},
                      LineCase{u"/File:C:\\out\\r.ini /PNP", true, false, false, "C:\\out\\r.ini"},
                      LineCase{u"/PNP /File:r.ini", true, false, false, "r.ini"},
                      LineCase{u"/File:C:/pnp/r.ini", true, false, false, "C:/pnp/r.ini"},
                      LineCase{u"/File:a.ini /File:b.ini", false, false, false, "a.ini"},
                      LineCase{u"/File:\"C:\\My Reports\\r.ini\"", false, false, false, "\"C:\\My"},
                      LineCase{u"/File:", false, false, false, ""},
                      LineCase{u"/File: /PNP", true, false, false, ""},
                      LineCase{u"/SHOWDIALOG /File:r.ini", false, false, true, "r.ini"},
                      LineCase{u"/showdialogue", false, false, true, "Kestro.ini"},
                      LineCase{u"/DRIVER", false, false, false, "Kestro.ini"},
                      LineCase{u"x/FILE:y z", false, false, false, "y"},
                      LineCase{u"/Type 1 /P N P", false, false, false, "Kestro.ini"}));

TEST(Arguments, JoinWithSingleSpacesAndThePathRunsToTheEndOfItsArgument) {
  const std::vector<std::u16string> arguments = {u"/PNP", u"/File:/tmp/my reports/r.ini", u"/Type1"};
  const CommandLine line = CommandLine::FromArguments(arguments);
  EXPECT_EQ(line.argumentText, u"/PNP /File:/tmp/my reports/r.ini /Type1");
  EXPECT_EQ(SettleOutputPath(line).path, u"/tmp/my reports/r.ini");
}

TEST(Arguments, PathRules) {
  struct Case {
    std::vector<std::u16string> arguments;
    const char* path;
  };
  for (const Case& c : {Case{{u"/File:"}, ""},
                        Case{{u"/File:", u"r.ini"}, ""},
                        Case{{u"/File:a.ini", u"/File:b.ini"}, "a.ini"},
                        Case{{u"x/file:y z", u"w"}, "y z"},
                        Case{{u"/PNP", u"/File:r.ini"}, "r.ini"},
                        Case{{}, "Kestro.ini"},
                        Case{{u"", u"/File:q"}, "q"}}) {
    EXPECT_EQ(Narrow(SettleOutputPath(CommandLine::FromArguments(c.arguments)).path), c.path);
  }
}

// "--json" leaves the arguments before the switch scan: as a whole argument,
// or as a whole word of one command-line text, and nowhere else.
TEST(JsonArgument, IsTakenOutBeforeTheScan) {
  struct Case {
    std::vector<std::u16string> arguments;  // empty: `text` is one command-line text
    std::u16string text;
    const char16_t* argumentText;  // as the switch scan sees it
    bool json;
    const char* path;
  };
  const Case cases[] = {
      {{u"--json", u"/PNP"}, u"", u"/PNP", true, "Kestro.json"},
      {{u"/File:my r.json", u"--json"}, u"", u"/File:my r.json", true, "my r.json"},
      {{u"--JSON", u"x--json"}, u"", u"--JSON x--json", false, "Kestro.ini"},
      {{}, u"--json /PNP /File:r.json", u"/PNP /File:r.json", true, "r.json"},
      {{}, u"/File:r.ini --json", u"/File:r.ini", true, "r.ini"},
      {{}, u"--json --json", u"", true, "Kestro.json"},
      {{}, u"/File:--json a--json --jsonx", u"/File:--json a--json --jsonx", false, "--json"},
  };
  for (const Case& c : cases) {
    const CommandLine line =
        c.arguments.empty() ? CommandLine::FromArgumentText(c.text) : CommandLine::FromArguments(c.arguments);
    const OutputTarget target = SettleOutputPath(line);
    EXPECT_EQ(line.argumentText, c.argumentText);
    EXPECT_EQ(target.format, c.json ? ReportFormat::Json : ReportFormat::Ini) << Narrow(c.argumentText);
    EXPECT_EQ(Narrow(target.path), c.path);
  }
}

}  // namespace
}  // namespace kestro
