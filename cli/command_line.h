// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/colour.h"

namespace huesift {

// What the command line asks for. Batch options make a run without a window; anything else
// starts the window (optionally opening the files named).
struct CommandLine {
  enum class Mode { Window, Batch, Help, Version, UsageError };
  Mode mode = Mode::Window;

  // Window: Qt's own options (-platform xcb, ...) are left for Qt, which takes them out of
  // the arguments when the application starts; any other unknown option is a usage error
  // in every mode, found before the display is asked for.
  std::vector<std::string> files;
  // Batch: the retained colours as the window's list would hold them, black alone by default.
  std::vector<Colour> keep{kBlack};
  bool reverse = false;
  int similarDistance = 0;        // --similar: 0 keeps the listed colours alone
  std::optional<Colour> convert;  // "Convert to Color"
  std::optional<Colour> whiteTo;  // "Convert White to Color"
  std::string output;             // -o: the one output file
  std::string outputDir;          // --out-dir: one PNG per input, named after it

  std::string error;  // UsageError: what was wrong, one line
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "RRGGBB" or "#RRGGBB" (either case) as a colour; nothing for anything else.
std::optional<Colour> ParseWebColour(const std::string& text);

// The usage text for --help.
std::string UsageText();

// What a usage error prints, as other command-line tools do: "huesift: " and what is wrong,
// then where to read more; two lines.
std::string UsageErrorMessage(const std::string& what);

}  // namespace huesift
