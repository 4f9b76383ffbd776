// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as a user or a script types it: what each accepted line asks for, the one
// line each mistake is answered with, and the colours --keep, --convert and --white-to take.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QString>
#include <cstdio>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace huesift {
namespace {

using Mode = CommandLine::Mode;

// Colours as the program holds them, red in the low byte.
constexpr Colour Rgb(int r, int g, int b) {
  return r | g << 8 | b << 16;
}

std::string Hex(Colour c) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
  return text;
}

// n different colours, and their --keep list.
std::vector<Colour> DistinctColours(int n) {
  std::vector<Colour> colours;
  for (int i = 0; i < n; ++i) colours.push_back(Rgb(i * 37 & 255, i * 91 & 255, i));
  return colours;
}
std::string KeepList(const std::vector<Colour>& colours) {
  std::string list;
  for (const Colour c : colours) list += (list.empty() ? "" : ",") + Hex(c);
  return list;
}

std::string Joined(const std::vector<std::string>& args) {
  std::string line = "huesift";
  for (const std::string& a : args) line += " '" + a + "'";
  return line;
}

struct Accepted {
  const char* name;
  std::vector<std::string> args;
  Mode mode;
  std::vector<std::string> files;
  std::vector<Colour> keep = {kBlack};
  bool reverse = false;
  int similarDistance = 0;
  std::optional<Colour> convert;
  std::optional<Colour> whiteTo;
  std::string output;
  std::string outputDir;

  Accepted Files(std::vector<std::string> v) && { return files = std::move(v), std::move(*this); }
  Accepted Keep(std::vector<Colour> v) && { return keep = std::move(v), std::move(*this); }
  Accepted Reverse() && { return reverse = true, std::move(*this); }
  Accepted Similar(int n) && { return similarDistance = n, std::move(*this); }
  Accepted Convert(Colour c) && { return convert = c, std::move(*this); }
  Accepted WhiteTo(Colour c) && { return whiteTo = c, std::move(*this); }
  Accepted Output(std::string v) && { return output = std::move(v), std::move(*this); }
  Accepted OutputDir(std::string v) && { return outputDir = std::move(v), std::move(*this); }
};
Accepted Line(Mode mode, const char* name, std::vector<std::string> args) {
  Accepted line{};
  line.name = name;
  line.args = std::move(args);
  line.mode = mode;
  return line;
}
void PrintTo(const Accepted& c, std::ostream* os) {
  *os << c.name;
}

const Accepted kAccepted[] = {
    Line(Mode::Batch, "OneFileToOneOutput", {"-o", "out.png", "in.png"})
        .Files({"in.png"})
        .Output("out.png"),
    Line(Mode::Batch, "LongOutputWithEqualsAfterTheFile", {"shot.bmp", "--output=out.png"})
        .Files({"shot.bmp"})
        .Output("out.png"),
    Line(Mode::Batch, "StandardInputToStandardOutput", {"-o", "-", "-"}).Files({"-"}).Output("-"),
    // A value is the next word whatever it looks like, as other tools take it.
    Line(Mode::Batch, "OutputThatLooksLikeAnOption", {"-o", "--keep", "in.png"})
        .Files({"in.png"})
        .Output("--keep"),
    Line(Mode::Batch, "SeveralFilesIntoAFolderInOrder",
         {"--out-dir", "results", "b.png", "a.gif", "c"})
        .Files({"b.png", "a.gif", "c"})
        .OutputDir("results"),
    Line(Mode::Batch, "KeepListInOrderWithRepeatsDropped",
         {"--keep", "C42B1C,#0645ad,c42b1c,000000,#C42B1C", "-o", "o.png", "i.png"})
        .Files({"i.png"})
        .Keep({Rgb(0xC4, 0x2B, 0x1C), Rgb(0x06, 0x45, 0xAD), kBlack})
        .Output("o.png"),
    Line(Mode::Batch, "KeepWithEqualsReplacesBlack", {"--keep=FFFFFF", "--out-dir=d", "i.png"})
        .Files({"i.png"})
        .Keep({kWhite})
        .OutputDir("d"),
    Line(Mode::Batch, "SixtyFourColoursAreAllKept",
         {"--keep", KeepList(DistinctColours(64)), "-o", "o.png", "i.png"})
        .Files({"i.png"})
        .Keep(DistinctColours(64))
        .Output("o.png"),
    Line(Mode::Batch, "SixtyFiveWordsOfSixtyFourColours",
         {"--keep", KeepList(DistinctColours(64)) + ",000000", "-o", "o.png", "i.png"})
        .Files({"i.png"})
        .Keep(DistinctColours(64))
        .Output("o.png"),
    Line(Mode::Batch, "ReverseAndConvert",
         {"--reverse", "--keep", "0645AD", "--convert", "#fff4ce", "--out-dir", "d", "a.png"})
        .Files({"a.png"})
        .Keep({Rgb(0x06, 0x45, 0xAD)})
        .Reverse()
        .Convert(Rgb(0xFF, 0xF4, 0xCE))
        .OutputDir("d"),
    Line(Mode::Batch, "SimilarColoursAtBothEnds",
         {"--similar", "255", "--keep", "C42B1C", "-o", "o.png", "i.png"})
        .Files({"i.png"})
        .Keep({Rgb(0xC4, 0x2B, 0x1C)})
        .Similar(255)
        .Output("o.png"),
    Line(Mode::Batch, "SimilarZeroWithEquals", {"--similar=000", "--out-dir", "d", "i.png"})
        .Files({"i.png"})
        .OutputDir("d"),
    Line(Mode::Batch, "WhiteToAlone", {"--white-to=FFF4CE", "-o", "o.png", "i.png"})
        .Files({"i.png"})
        .WhiteTo(Rgb(0xFF, 0xF4, 0xCE))
        .Output("o.png"),
    Line(Mode::Batch, "DoubleDashMakesDashedNamesFiles",
         {"--out-dir", "d", "a.png", "--", "-b.png", "--keep", "--"})
        .Files({"a.png", "-b.png", "--keep", "--"})
        .OutputDir("d"),

    Line(Mode::Window, "NothingOpensTheWindow", {}),
    Line(Mode::Window, "AFileOpensTheWindow", {"shot.png"}).Files({"shot.png"}),
    // Qt's own options, with their values, are left for Qt to take out.
    Line(Mode::Window, "QtsOptionsAreLeftToQt",
         {"-platform", "offscreen", "shot.png", "-style=fusion", "--platformtheme", "gtk3",
          "-reverse", "-qwindowtitle", "-x", "-"})
        .Files({"shot.png", "-"}),
    Line(Mode::Window, "DoubleDashInTheWindow", {"--", "-shot.png", "--help"})
        .Files({"-shot.png", "--help"}),

    // --help and --version answer at once, whatever else the line holds.
    Line(Mode::Help, "HelpBeforeAMistake", {"-o", "o.png", "--help", "--keep", "nonsense"}),
    Line(Mode::Help, "ShortHelp", {"a.png", "b.png", "-h"}),
    Line(Mode::Version, "Version", {"--out-dir", "d", "--version"}),
};

class AcceptedLine : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedLine, AsksForWhatItSays) {
  const Accepted& want = GetParam();
  SCOPED_TRACE(Joined(want.args));
  const CommandLine line = ParseCommandLine(want.args);
  ASSERT_EQ(line.mode, want.mode) << line.error;
  if (want.mode == Mode::Help || want.mode == Mode::Version) return;  // nothing else is read
  EXPECT_EQ(line.files, want.files);
  EXPECT_EQ(line.error, "");
  if (want.mode == Mode::Window) return;  // the batch options are not read
  EXPECT_EQ(line.keep, want.keep);
  EXPECT_EQ(line.reverse, want.reverse);
  EXPECT_EQ(line.similarDistance, want.similarDistance);
  EXPECT_EQ(line.convert, want.convert);
  EXPECT_EQ(line.whiteTo, want.whiteTo);
  EXPECT_EQ(line.output, want.output);
  EXPECT_EQ(line.outputDir, want.outputDir);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, AcceptedLine, ::testing::ValuesIn(kAccepted),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refused {
  const char* name;
  std::vector<std::string> args;
  std::string error;
};
void PrintTo(const Refused& c, std::ostream* os) {
  *os << c.name;
}

const std::string kNotAColour = " is not a colour like 1A2B3C or #1A2B3C";
const std::string kWhiteToAlone =
    "--white-to cannot be combined with --keep, --reverse or --convert";

const Refused kRefused[] = {
    {"NotAColourInKeep",
     {"--keep", "12345G", "-o", "o.png", "i.png"},
     "--keep: '12345G'" + kNotAColour},
    {"SecondOfTwoInKeep",
     {"--keep=000000,#FFF", "-o", "o.png", "i.png"},
     "--keep: '#FFF'" + kNotAColour},
    {"EmptyItemInKeep",
     {"--keep", "000000,,FFFFFF", "-o", "o.png", "i.png"},
     "--keep: ''" + kNotAColour},
    {"TrailingCommaInKeep",
     {"--keep", "000000,", "-o", "o.png", "i.png"},
     "--keep: ''" + kNotAColour},
    {"EmptyKeep", {"--keep=", "-o", "o.png", "i.png"}, "--keep: ''" + kNotAColour},
    {"KeepTwice",
     {"--keep", "000000", "--keep", "FFFFFF", "-o", "o.png", "i.png"},
     "--keep given twice; list every colour in one --keep"},
    {"SixtyFiveColours",
     {"--keep", KeepList(DistinctColours(65)), "-o", "o.png", "i.png"},
     "--keep takes at most 64 colours"},
    {"NamedConvertColour",
     {"--convert", "red", "-o", "o.png", "i.png"},
     "--convert: 'red'" + kNotAColour},
    {"ShortWhiteTo",
     {"--white-to", "#FFF", "-o", "o.png", "i.png"},
     "--white-to: '#FFF'" + kNotAColour},
    {"OutputTwice", {"-o", "a.png", "--output", "b.png", "i.png"}, "-o given twice"},
    {"OutDirTwice", {"--out-dir", "a", "--out-dir=b", "i.png"}, "--out-dir given twice"},
    {"OutputWithoutValue", {"i.png", "-o"}, "-o needs a value"},
    {"OutDirWithoutValue", {"i.png", "--out-dir"}, "--out-dir needs a value"},
    {"KeepWithoutValue", {"-o", "o.png", "i.png", "--keep"}, "--keep needs a value"},
    {"WhiteToWithoutValue", {"--white-to"}, "--white-to needs a value"},
    {"EmptyOutput", {"-o", "", "i.png"}, "-o needs a value"},
    {"EmptyLongOutput", {"--output=", "i.png"}, "--output needs a value"},
    {"EmptyOutDir", {"--out-dir=", "i.png"}, "--out-dir needs a value"},
    {"UnknownLongOption", {"--frobnicate", "-o", "o.png", "i.png"}, "unknown option --frobnicate"},
    {"UnknownShortOptionLast", {"-o", "o.png", "i.png", "-x"}, "unknown option -x"},
    // The window refuses what it does not know too, before it asks for a display.
    {"UnknownOptionInTheWindow", {"--frobnicate", "shot.png"}, "unknown option --frobnicate"},
    {"UnknownShortOptionInTheWindow", {"shot.png", "-x"}, "unknown option -x"},
    {"ReverseWithAValueInTheWindow", {"--reverse=yes", "shot.png"}, "unknown option --reverse=yes"},
    {"UnknownBeforeDoubleDashInTheWindow",
     {"--frobnicate", "--", "-shot.png"},
     "unknown option --frobnicate"},
    // Qt's options mean nothing without a window.
    {"QtsOptionInTheBatch",
     {"-platform", "xcb", "-o", "o.png", "i.png"},
     "unknown option -platform"},
    {"ReverseWithAValue",
     {"--reverse=yes", "-o", "o.png", "i.png"},
     "unknown option --reverse=yes"},
    {"NoOutputForKeep",
     {"--keep", "000000", "i.png"},
     "say where the results go: -o OUT or --out-dir DIR"},
    {"NoOutputForReverse",
     {"i.png", "--reverse"},
     "say where the results go: -o OUT or --out-dir DIR"},
    {"BothOutputs",
     {"-o", "o.png", "--out-dir", "d", "i.png"},
     "-o and --out-dir exclude each other"},
    {"BothOutputsWithoutInput",
     {"--out-dir", "d", "-o", "o.png"},
     "-o and --out-dir exclude each other"},
    {"NoInputForOutput", {"-o", "o.png"}, "no input files"},
    {"NoInputForOutDir", {"--out-dir", "d", "--"}, "no input files"},
    {"TwoInputsToOneOutput",
     {"-o", "o.png", "a.png", "b.png"},
     "-o takes one input file; use --out-dir for several"},
    {"SameInputTwiceToOneOutput",
     {"-o", "o.png", "a.png", "a.png"},
     "-o takes one input file; use --out-dir for several"},
    {"StandardInputIntoAFolder",
     {"--out-dir", "d", "a.png", "-"},
     "standard input (-) has no name for --out-dir to use; write it with -o"},
    {"SimilarPastTheTop",
     {"--similar", "256", "-o", "o.png", "i.png"},
     "--similar: '256' is not a distance from 0 to 255"},
    {"NegativeSimilar",
     {"--similar", "-1", "-o", "o.png", "i.png"},
     "--similar: '-1' is not a distance from 0 to 255"},
    {"SimilarNotANumber",
     {"--similar=4x", "-o", "o.png", "i.png"},
     "--similar: '4x' is not a distance from 0 to 255"},
    {"EmptySimilar",
     {"--similar=", "-o", "o.png", "i.png"},
     "--similar: '' is not a distance from 0 to 255"},
    {"SimilarTwice",
     {"--similar", "4", "--similar", "4", "-o", "o.png", "i.png"},
     "--similar given twice"},
    // The white pass looks at white alone: a distance would be silently ignored.
    {"SimilarWithWhiteTo",
     {"--white-to", "FF0000", "--similar", "8", "-o", "o", "i"},
     "--white-to cannot be combined with --similar"},
    {"WhiteToWithKeep",
     {"--white-to", "FF0000", "--keep", "0645AD", "-o", "o", "i"},
     kWhiteToAlone},
    // Black is what --keep keeps anyway, but the user asked for a pass --white-to does not do.
    {"KeepBlackWithWhiteTo",
     {"--keep", "000000", "--white-to", "FF0000", "-o", "o", "i"},
     kWhiteToAlone},
    {"WhiteToWithReverse", {"--white-to", "FF0000", "--reverse", "-o", "o", "i"}, kWhiteToAlone},
    {"WhiteToWithConvert",
     {"--convert", "0645AD", "--white-to", "FF0000", "-o", "o", "i"},
     kWhiteToAlone},
};

class RefusedLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedLine, SaysWhatIsWrongInOneLine) {
  const Refused& want = GetParam();
  SCOPED_TRACE(Joined(want.args));
  const CommandLine line = ParseCommandLine(want.args);
  EXPECT_EQ(line.mode, Mode::UsageError);
  EXPECT_EQ(line.error, want.error);
  EXPECT_EQ(UsageErrorMessage(line.error),
            "huesift: " + want.error + "\nTry 'huesift --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(CommandLine, RefusedLine, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WebColour, TakesSixHexDigitsRedFirstInEitherCase) {
  // Qt's own parser of #RRGGBB is the reference; the program keeps red in the low byte.
  auto reference = [](const std::string& digits) {
    const QColor c(QString::fromLatin1(("#" + digits).c_str()));
    return c.isValid() ? std::optional<Colour>(Rgb(c.red(), c.green(), c.blue())) : std::nullopt;
  };
  std::mt19937 random(20261208);
  std::vector<std::string> texts = {"000000", "FFFFFF", "ffffff", "#010203", "#FEDCBA", "a0B1c2"};
  for (int i = 0; i < 2000; ++i) {
    std::string text = i % 2 ? "#" : "";
    for (int d = 0; d < 6; ++d) text += "0123456789abcdefABCDEF"[random() % 22];
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::optional<Colour> want = reference(text[0] == '#' ? text.substr(1) : text);
    ASSERT_TRUE(want.has_value());
    EXPECT_EQ(ParseWebColour(text), want);
  }
}

TEST(WebColour, RefusesAnythingElse) {
  const std::string refused[] = {"",
                                 "#",
                                 "12345",
                                 "#12345",
                                 "1234567",
                                 "#1234567",
                                 "12345G",
                                 "#12345g",
                                 "##12345",
                                 "0x1234",
                                 " 12345",
                                 "12345 ",
                                 "12 456",
                                 "-12345",
                                 "+12345",
                                 "#-12345",
                                 "#+12345",
                                 "ÿÿÿ",
                                 "red",
                                 "black",
                                 "#fff",
                                 "12345\n",
                                 std::string("12345\0", 6)};
  for (const std::string& text : refused) {
    SCOPED_TRACE("'" + text + "'");
    EXPECT_EQ(ParseWebColour(text), std::nullopt);
  }
}

}  // namespace
}  // namespace huesift
