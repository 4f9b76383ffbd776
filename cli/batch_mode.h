// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>

#include "cli/command_line.h"
#include "engine/picture.h"

namespace huesift {

// Processes every file of a batch command line as the Process button would, writing one PNG
// per input. Failures are written to messages as "huesift: FILE: reason" lines, and a progress
// line too when messages is a terminal and there is more than one file. Returns the exit
// status: 0 when every picture was written, 1 when any failed, 2 for a command that would write
// two inputs to one output.
int RunBatch(const CommandLine& line, std::FILE* messages);

// Runs the pass that the Process button would run with these options over the whole picture.
void ProcessLikeTheWindow(Picture& picture, const CommandLine& options);

}  // namespace huesift
