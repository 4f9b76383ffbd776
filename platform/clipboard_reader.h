// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMimeData>
#include <optional>

#include "platform/services.h"

namespace huesift {

// The X clipboard answers each request only when the owner does, and Qt waits up to 5 s per
// request with the user-interface thread stopped. So on X the program reads the clipboard
// in a short-lived copy of itself, started with this flag, which writes what it read to its
// standard output and is killed when it takes too long.
inline constexpr char kClipboardReaderFlag[] = "--internal-clipboard-reader";

// main() hands over to this when started with the flag; returns the exit status.
int RunClipboardReader(int argc, char** argv);

// The image format of mime most likely to come back exact (PNG, then BMP, then any other
// that Qt reads) with its bytes; nothing when no image format is offered. Throws
// std::runtime_error when the bytes are more than a picture file may hold.
std::optional<EncodedImage> TakeImageBytes(const QMimeData& mime);

// Reads the clipboard through the reader process while the event loop goes on (without user
// input): the owner must answer within timeoutMs, and its picture then come within 30 s in
// all and hold at most kMaxPictureFileBytes. Throws std::runtime_error on failure or
// time-out, saying which.
std::optional<EncodedImage> ReadClipboardInReaderProcess(int timeoutMs);

}  // namespace huesift
