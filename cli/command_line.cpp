// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <string_view>

#include "engine/process.h"

namespace huesift {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits "a,b,c"; an empty text gives one empty item, so that "--keep ''" is reported.
std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

// A distance for --similar: decimal digits alone, 0 to 255.
std::optional<int> ParseDistance(const std::string& text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int distance = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    distance = distance * 10 + (c - '0');
  }
  if (distance > kMaxSimilarDistance) return std::nullopt;
  return distance;
}

// Whether name (without its leading dashes and any "=value") is an option that Qt takes out
// of the arguments when the window's application starts, and if so whether it is followed
// by a value: nothing for anything else.
std::optional<bool> QtOptionTakesValue(std::string_view name) {
  static constexpr std::string_view kWithValue[] = {"platform",
                                                    "platformpluginpath",
                                                    "platformtheme",
                                                    "plugin",
                                                    "qmljsdebugger",
                                                    "qwindowgeometry",
                                                    "qwindowicon",
                                                    "qwindowtitle",
                                                    "session",
                                                    "style",
                                                    "stylesheet",
                                                    "display",
                                                    "geometry",
                                                    "name",
                                                    "title",
                                                    "visual",
                                                    "ncols",
                                                    "cmap",
                                                    "im",
                                                    "inputstyle"};
  static constexpr std::string_view kAlone[] = {"reverse", "widgetcount", "nograb",
                                                "dograb",  "sync",        "testability"};
  for (std::string_view known : kWithValue)
    if (name == known) return true;
  for (std::string_view known : kAlone)
    if (name == known) return false;
  return std::nullopt;
}

// text in the user's language (context "huesift::CommandLine"), %1 and %2 filled in with the
// arguments as the shell gave them.
CommandLine UsageError(const char* text, const std::string& first = {},
                       const std::string& second = {}) {
  QString message = QCoreApplication::translate("huesift::CommandLine", text);
  const std::string_view source(text);
  if (source.find("%2") != std::string_view::npos)
    message =
        message.arg(QString::fromLocal8Bit(first.c_str()), QString::fromLocal8Bit(second.c_str()));
  else if (source.find("%1") != std::string_view::npos)
    message = message.arg(QString::fromLocal8Bit(first.c_str()));
  CommandLine line;
  line.mode = CommandLine::Mode::UsageError;
  line.error = message.toLocal8Bit().toStdString();
  return line;
}

}  // namespace

std::optional<Colour> ParseWebColour(const std::string& text) {
  const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  if (digits.size() != 6) return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(d);
  }
  // Written red first, as web colours are; the program's colours keep red in the low byte.
  return static_cast<Colour>((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
}

std::string UsageText() {
  return QCoreApplication::translate(
             "huesift::CommandLine",
             "Usage: huesift [FILE]\n"
             "       huesift [--keep COLOURS] [--similar N] [--reverse] [--convert RRGGBB]\n"
             "               (-o OUT | --out-dir DIR) FILE...\n"
             "       huesift --white-to RRGGBB (-o OUT | --out-dir DIR) FILE...\n"
             "\n"
             "Without -o or --out-dir, opens the window (and FILE in it).\n"
             "With them, processes every FILE without a window and writes PNG pictures:\n"
             "  --keep COLOURS     colours to keep, comma-separated RRGGBB or #RRGGBB\n"
             "                     (at most 64; default 000000, black)\n"
             "  --similar N        also keep every colour whose red, green and blue each lie\n"
             "                     within N of a kept colour's (0 to 255; default 0)\n"
             "  --reverse          whiten the kept colours instead of all others\n"
             "  --convert RRGGBB   paint every surviving pixel in this colour\n"
             "  --white-to RRGGBB  only turn white into this colour\n"
             "  -o OUT             the output file (one FILE only; - for standard output)\n"
             "  --out-dir DIR      write DIR/NAME.png for each FILE (DIR is created if needed)\n"
             "A FILE of - is standard input. No output may be an input, and an output that\n"
             "exists must be a regular file; a link in DIR is replaced, not written through.\n"
             "  -h, --help         show this text\n"
             "  --version          show the version\n"
             "\n"
             "Exit status: 0 when every picture was written, 1 when any failed, 2 for a usage "
             "error.\n")
      .toLocal8Bit()
      .toStdString();
}

std::string UsageErrorMessage(const std::string& what) {
  const QString more = QCoreApplication::translate("huesift::CommandLine",
                                                   "Try 'huesift --help' for more information.");
  return "huesift: " + what + "\n" + more.toLocal8Bit().toStdString() + "\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  bool batchOption = false;
  bool keepGiven = false;
  bool similarGiven = false;
  bool endOfOptions = false;
  std::vector<std::string> operands;
  std::vector<std::string> qtOptions;    // with their values
  std::size_t optionsEnd = args.size();  // operands from here on came after "--"

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-") {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      endOfOptions = true;
      optionsEnd = operands.size();
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      line.mode = CommandLine::Mode::Help;
      return line;
    }
    if (arg == "--version") {
      line.mode = CommandLine::Mode::Version;
      return line;
    }
    std::string value;
    bool inlineValue = false;
    if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      inlineValue = true;
    }
    const bool takesValue = arg == "--keep" || arg == "--similar" || arg == "--convert" ||
                            arg == "--white-to" || arg == "-o" || arg == "--output" ||
                            arg == "--out-dir";
    if (arg == "--reverse" && !inlineValue) {
      line.reverse = batchOption = true;
      continue;
    }
    if (!takesValue) {
      // Qt's own options (-platform xcb, -style=fusion, ...) are the window's business; Qt
      // takes them out of the arguments itself.
      std::string_view name(args[i]);
      const bool doubleDash = name.rfind("--", 0) == 0;
      name.remove_prefix(doubleDash ? 2 : 1);
      const bool joined = name.find('=') != std::string_view::npos;
      const std::optional<bool> qtValue = QtOptionTakesValue(name.substr(0, name.find('=')));
      // "--reverse" is ours; a Qt option that takes no value takes no "=value" either.
      if (qtValue && (*qtValue || !joined) && !(doubleDash && name.rfind("reverse", 0) == 0)) {
        qtOptions.push_back(args[i]);
        if (*qtValue && !joined && i + 1 < args.size()) qtOptions.push_back(args[++i]);
        continue;
      }
      operands.push_back(args[i]);
      continue;
    }
    batchOption = true;
    if (!inlineValue) {
      if (i + 1 >= args.size())
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "%1 needs a value"), arg);
      value = args[++i];
    }
    if (arg == "--keep") {
      if (keepGiven)
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine",
                                            "--keep given twice; list every colour in one --keep"));
      keepGiven = true;
      line.keep.clear();
      for (const std::string& item : SplitCommas(value)) {
        const std::optional<Colour> c = ParseWebColour(item);
        if (!c)
          return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine",
                                              "%1: '%2' is not a colour like 1A2B3C or #1A2B3C"),
                            arg, item);
        // The list never holds a colour twice; a repeat adds nothing.
        if (std::find(line.keep.begin(), line.keep.end(), *c) == line.keep.end())
          line.keep.push_back(*c);
      }
      if (static_cast<int>(line.keep.size()) > kMaxColours)
        return UsageError(
            QT_TRANSLATE_NOOP("huesift::CommandLine", "--keep takes at most 64 colours"));
    } else if (arg == "--similar") {
      if (similarGiven)
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "--similar given twice"));
      similarGiven = true;
      const std::optional<int> distance = ParseDistance(value);
      if (!distance)
        return UsageError(
            QT_TRANSLATE_NOOP("huesift::CommandLine", "%1: '%2' is not a distance from 0 to 255"),
            arg, value);
      line.similarDistance = *distance;
    } else if (arg == "--convert" || arg == "--white-to") {
      const std::optional<Colour> c = ParseWebColour(value);
      if (!c)
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine",
                                            "%1: '%2' is not a colour like 1A2B3C or #1A2B3C"),
                          arg, value);
      (arg == "--convert" ? line.convert : line.whiteTo) = c;
    } else if (arg == "--out-dir") {
      if (!line.outputDir.empty())
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "--out-dir given twice"));
      line.outputDir = value;
    } else {
      if (!line.output.empty())
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "-o given twice"));
      line.output = value;
    }
    if (value.empty())
      return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "%1 needs a value"), arg);
  }

  if (!batchOption) {
    for (std::size_t i = 0; i < operands.size(); ++i) {
      const bool option = i < optionsEnd && operands[i].size() > 1 && operands[i][0] == '-';
      if (option)
        return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "unknown option %1"),
                          operands[i]);
      line.files.push_back(operands[i]);
    }
    return line;
  }
  if (!qtOptions.empty())  // a run without a window has no use for them
    return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "unknown option %1"),
                      qtOptions.front());
  for (const std::string& operand : operands) {
    if (operand.size() > 1 && operand[0] == '-' && !endOfOptions)
      return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "unknown option %1"), operand);
  }
  line.mode = CommandLine::Mode::Batch;
  line.files = std::move(operands);
  if (line.output.empty() && line.outputDir.empty())
    return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine",
                                        "say where the results go: -o OUT or --out-dir DIR"));
  if (!line.output.empty() && !line.outputDir.empty())
    return UsageError(
        QT_TRANSLATE_NOOP("huesift::CommandLine", "-o and --out-dir exclude each other"));
  if (line.files.empty())
    return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine", "no input files"));
  if (!line.output.empty() && line.files.size() > 1)
    return UsageError(QT_TRANSLATE_NOOP("huesift::CommandLine",
                                        "-o takes one input file; use --out-dir for several"));
  if (!line.outputDir.empty() &&
      std::find(line.files.begin(), line.files.end(), "-") != line.files.end())
    return UsageError(
        QT_TRANSLATE_NOOP("huesift::CommandLine",
                          "standard input (-) has no name for --out-dir to use; write it with -o"));
  // The white pass looks at white alone, so these would be silently ignored.
  if (line.whiteTo && (keepGiven || line.reverse || line.convert))
    return UsageError(
        QT_TRANSLATE_NOOP("huesift::CommandLine",
                          "--white-to cannot be combined with --keep, --reverse or --convert"));
  if (line.whiteTo && similarGiven)
    return UsageError(
        QT_TRANSLATE_NOOP("huesift::CommandLine", "--white-to cannot be combined with --similar"));
  return line;
}

}  // namespace huesift
