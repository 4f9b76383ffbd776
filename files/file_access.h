// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Files read and written safely, by name as bytes (as the shell gives them, whatever their
// encoding): nothing is opened that could block or never end unless asked for, nothing is
// written into an existing file, and an output replaces its target only when complete.
namespace huesift {

// What a read takes besides regular files. Devices, sockets and folders are never opened.
enum class Streams {
  Refuse,  // the window: a FIFO would block it, so it is "not a regular file"
  Read,    // the batch mode: a FIFO (a shell's <(...)) is read, up to the limit
};

// The bytes of the file at path, at most limit of them. A regular file's size is checked
// before reading; a stream stops at the limit. On failure nothing, and the reason phrased to
// follow the file's name ("No such file or directory", "not a regular file").
std::optional<QByteArray> ReadFileBytes(const QByteArray& path, Streams streams, qint64 limit,
                                        QString& reason);
// The same from a descriptor that is already open (standard input).
std::optional<QByteArray> ReadDescriptorBytes(int fd, qint64 limit, QString& reason);

// What a read of a non-blocking descriptor found: all it held for now, its end, an error, or
// more than the limit.
enum class Drained { ForNow, Ended, Failed, OverLimit };
// Appends to into whatever fd (non-blocking: a pipe read from the event loop) holds now,
// until into holds more than limit bytes.
Drained ReadWhatIsThere(int fd, QByteArray& into, qint64 limit);

// How an output that is a symbolic link is treated.
enum class Links {
  Follow,   // a name the user chose (-o, Save): the file the link leads to is replaced
  Replace,  // a name made up in a folder (--out-dir): the link itself is replaced, as mv does
};

// Writes bytes to a new file beside path's target and renames it over the target only when
// complete; an existing target keeps its permissions. Refuses a target that exists and is not
// a regular file (a folder, a device, a FIFO). The reason on failure, else empty.
QString ReplaceFileBytes(const QByteArray& bytes, const QByteArray& path, Links links);

// Writes all of bytes to a descriptor that is open. The reason on failure, else empty.
QString WriteDescriptorBytes(int fd, const QByteArray& bytes);
// Writes bytes to standard output (a pipe or a file; refused on a terminal).
QString WriteStandardOutput(const QByteArray& bytes);

// A file as the system knows it, whatever name or link leads to it.
struct FileIdentity {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
// The file path leads to (following links), nothing when there is none.
std::optional<FileIdentity> IdentityOf(const QByteArray& path);
std::optional<FileIdentity> IdentityOfDescriptor(int fd);

// The size of the regular file at path; 0 for anything else.
qint64 SizeOfFile(const QByteArray& path);

// Creates a folder and its parents as needed, like mkdir -p. The reason on failure.
QString MakeFolders(const QByteArray& path);

// Removes the temporary files that ReplaceFileBytes is writing at this moment. Safe in a
// signal handler: a batch run that is interrupted leaves no half-written file behind.
void RemoveUnfinishedFiles();

// Removes, from folder, temporary files that ReplaceFileBytes left there in a run that was
// killed: hidden files of its name pattern whose process no longer exists. Nothing else is
// touched, not a file of a process that still runs. Returns how many it removed.
int RemoveStaleTemporaryFiles(const QByteArray& folder);

}  // namespace huesift
