// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_access.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

namespace huesift {

namespace {

QString SystemError(int number) {
  return QString::fromStdString(std::system_category().message(number));
}

QString NotRegular() {
  return QCoreApplication::translate("huesift::PictureFiles", "not a regular file");
}

QString IsAFolder() {
  return QCoreApplication::translate("huesift::PictureFiles", "it is a folder");
}

// "the file is larger than 512 MiB, too large for a picture"
QString TooLargeFileReason(qint64 limit) {
  return QCoreApplication::translate("huesift::PictureFiles",
                                     "the file is larger than %1 MiB, too large for a picture")
      .arg(limit >> 20);
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Why a file of this kind is not read; empty when it is.
QString RefusalOf(const struct stat& st, Streams streams, qint64 limit) {
  if (S_ISDIR(st.st_mode)) return IsAFolder();
  if (S_ISFIFO(st.st_mode)) return streams == Streams::Read ? QString() : NotRegular();
  if (!S_ISREG(st.st_mode)) return NotRegular();
  if (st.st_size > limit) return TooLargeFileReason(limit);
  return {};
}

QByteArray FolderOf(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  if (slash == 0) return QByteArrayLiteral("/");
  return path.left(slash);
}

// The file a chain of symbolic links ends at (which need not exist), as the kernel would
// follow it when opening path for writing.
std::optional<QByteArray> FollowLinks(QByteArray path, QString& reason) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(path.constData(), target.data(), target.size());
    if (n < 0) {
      reason = SystemError(errno);
      return std::nullopt;
    }
    target.truncate(n);
    path = target.startsWith('/') ? target : FolderOf(path) + '/' + target;
  }
  reason = SystemError(ELOOP);
  return std::nullopt;
}

bool WriteAll(int fd, const char* at, qint64 left, int& error) {
  while (left > 0) {
    const ssize_t n = ::write(fd, at, static_cast<std::size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      return false;
    }
    at += n;
    left -= n;
  }
  return true;
}

// The temporary files being written now, for RemoveUnfinishedFiles: fixed memory that a
// signal handler can read without taking a lock. One slot a writing thread is plenty; a
// path that finds no slot or does not fit is written all the same, only not looked after.
struct UnfinishedFile {
  std::atomic<bool> taken{false};
  std::atomic<bool> named{false};
  char path[PATH_MAX];
};
UnfinishedFile unfinished[64];

// Holds a temporary file's name in a slot for as long as it is written.
class UnfinishedName {
 public:
  explicit UnfinishedName(const QByteArray& path) {
    if (path.size() >= PATH_MAX) return;
    for (UnfinishedFile& slot : unfinished) {
      bool free = false;
      if (!slot.taken.compare_exchange_strong(free, true)) continue;
      std::memcpy(slot.path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
      slot.named.store(true);
      slot_ = &slot;
      return;
    }
  }
  ~UnfinishedName() {
    if (!slot_) return;
    slot_->named.store(false);
    slot_->taken.store(false);
  }
  UnfinishedName(const UnfinishedName&) = delete;
  UnfinishedName& operator=(const UnfinishedName&) = delete;

 private:
  UnfinishedFile* slot_ = nullptr;
};

// A name for a temporary file beside the target that no one else uses at this moment.
QByteArray TemporaryName(const QByteArray& folder) {
  static std::atomic<unsigned> serial{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return folder + "/.huesift-" + QByteArray::number(static_cast<qulonglong>(::getpid())) + '-' +
         QByteArray::number(serial++) + '-' +
         QByteArray::number(static_cast<qulonglong>(now) & 0xFFFFFF, 36) + ".tmp";
}

}  // namespace

QString WriteDescriptorBytes(int fd, const QByteArray& bytes) {
  int error = 0;
  return WriteAll(fd, bytes.constData(), bytes.size(), error) ? QString() : SystemError(error);
}

Drained ReadWhatIsThere(int fd, QByteArray& into, qint64 limit) {
  constexpr qsizetype kChunk = 64 * 1024;
  for (;;) {
    const qsizetype had = into.size();
    into.resize(had + kChunk);
    const ssize_t n = ::read(fd, into.data() + had, kChunk);
    into.resize(had + std::max<ssize_t>(n, 0));
    if (n > 0) {
      if (into.size() > limit) return Drained::OverLimit;
      continue;
    }
    if (n == 0) return Drained::Ended;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Drained::ForNow : Drained::Failed;
  }
}

std::optional<QByteArray> ReadDescriptorBytes(int fd, qint64 limit, QString& reason) {
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > limit) {
    reason = TooLargeFileReason(limit);
    return std::nullopt;
  }
  // A regular file is read into one array of its size; a stream grows in pieces up to the
  // limit, never beyond it.
  QByteArray bytes;
  qint64 filled = 0;
  if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.resize(st.st_size + 1);
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > limit) {
        reason = TooLargeFileReason(limit);
        return std::nullopt;
      }
      bytes.resize(std::min(limit + 1, std::max<qint64>(filled * 2, 1 << 20)));
    }
    const ssize_t n =
        ::read(fd, bytes.data() + filled, static_cast<std::size_t>(bytes.size() - filled));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = SystemError(errno);
      return std::nullopt;
    }
    if (n == 0) break;
    filled += n;
  }
  if (filled > limit) {
    reason = TooLargeFileReason(limit);
    return std::nullopt;
  }
  // A stream's array grew by doubling; what it holds beyond the bytes is given back.
  const bool wasteful = bytes.size() - filled > (1 << 20);
  bytes.truncate(filled);
  if (wasteful) bytes.squeeze();
  return bytes;
}

std::optional<QByteArray> ReadFileBytes(const QByteArray& path, Streams streams, qint64 limit,
                                        QString& reason) {
  // Looked at before opening: opening a device or a FIFO may block, rewind a tape or never
  // end, and a file that is too large is refused without reading a byte.
  struct stat st;
  if (::stat(path.constData(), &st) != 0) {
    reason = SystemError(errno);
    return std::nullopt;
  }
  if (reason = RefusalOf(st, streams, limit); !reason.isEmpty()) return std::nullopt;
  // Opened without waiting for a writer; what was opened is looked at once more, in case
  // the name was given to another file in between.
  Descriptor file{::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (file.fd < 0) {
    reason = SystemError(errno);
    return std::nullopt;
  }
  if (::fstat(file.fd, &st) != 0) {
    reason = SystemError(errno);
    return std::nullopt;
  }
  if (reason = RefusalOf(st, streams, limit); !reason.isEmpty()) return std::nullopt;
  // A FIFO with a writer is read to its end; one that no program writes to reads as empty.
  const int flags = ::fcntl(file.fd, F_GETFL);
  if (flags >= 0) ::fcntl(file.fd, F_SETFL, flags & ~O_NONBLOCK);
  return ReadDescriptorBytes(file.fd, limit, reason);
}

QString ReplaceFileBytes(const QByteArray& bytes, const QByteArray& path, Links links) {
  QString reason;
  QByteArray target = path;
  if (links == Links::Follow) {
    const std::optional<QByteArray> followed = FollowLinks(path, reason);
    if (!followed) return reason;
    target = *followed;
  }
  struct stat st;
  const bool exists = ::lstat(target.constData(), &st) == 0;
  if (!exists && errno != ENOENT) return SystemError(errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) return IsAFolder();
    // A link left here (--out-dir) is replaced by the picture, never written through.
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return NotRegular();
    if (S_ISREG(st.st_mode) && ::access(target.constData(), W_OK) != 0) return SystemError(errno);
  }
  if (target.endsWith('/')) return IsAFolder();

  const QByteArray folder = FolderOf(target);
  QByteArray temporary;
  Descriptor file;
  // Named for RemoveUnfinishedFiles before the file exists, so no moment is left uncovered.
  std::optional<UnfinishedName> unfinishedName;
  for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
    temporary = TemporaryName(folder);
    unfinishedName.emplace(temporary);
    file.fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file.fd < 0 && errno != EEXIST) return SystemError(errno);
  }
  if (file.fd < 0) return SystemError(EEXIST);
  int error = 0;
  bool written = WriteAll(file.fd, bytes.constData(), bytes.size(), error);
  // A file that is replaced keeps its permissions; a new one gets them from the umask.
  if (written && exists && S_ISREG(st.st_mode)) ::fchmod(file.fd, st.st_mode & 07777);
  if (written && ::fdatasync(file.fd) != 0 && errno != EINVAL) {
    error = errno;
    written = false;
  }
  const int fd = file.fd;
  file.fd = -1;
  if (::close(fd) != 0 && written) {
    error = errno;
    written = false;
  }
  if (written && ::rename(temporary.constData(), target.constData()) != 0) {
    error = errno;
    written = false;
  }
  if (!written) {
    ::unlink(temporary.constData());
    return SystemError(error);
  }
  return {};
}

void RemoveUnfinishedFiles() {
  for (UnfinishedFile& slot : unfinished)
    if (slot.named.load()) ::unlink(slot.path);
}

int RemoveStaleTemporaryFiles(const QByteArray& folder) {
  // ".huesift-PID-SERIAL-STAMP.tmp", as TemporaryName makes them.
  static const QRegularExpression pattern(
      QStringLiteral("^\\.huesift-([1-9][0-9]{0,9})-[0-9]+-[0-9a-z]+\\.tmp$"));
  DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(entry->d_name));
    if (!match.hasMatch()) continue;
    const qulonglong pid = match.captured(1).toULongLong();
    // kill(pid, 0) fails with ESRCH only when no such process exists; a process of another
    // user (EPERM) still runs.
    if (pid > static_cast<qulonglong>(std::numeric_limits<pid_t>::max()) ||
        pid == static_cast<qulonglong>(::getpid()) || ::kill(static_cast<pid_t>(pid), 0) == 0 ||
        errno != ESRCH)
      continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
      continue;
    if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

QString WriteStandardOutput(const QByteArray& bytes) {
  // As gzip: a picture's bytes on a terminal help no one.
  if (::isatty(STDOUT_FILENO))
    return QCoreApplication::translate("huesift::PictureFiles", "standard output is a terminal");
  return WriteDescriptorBytes(STDOUT_FILENO, bytes);
}

std::optional<FileIdentity> IdentityOf(const QByteArray& path) {
  struct stat st;
  if (::stat(path.constData(), &st) != 0) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

qint64 SizeOfFile(const QByteArray& path) {
  struct stat st;
  return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
}

QString MakeFolders(const QByteArray& path) {
  for (qsizetype from = 0;;) {
    const qsizetype slash = path.indexOf('/', from);
    const QByteArray part = slash < 0 ? path : path.left(slash);
    if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0) {
      const int error = errno;
      struct stat st;
      if (::stat(part.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return SystemError(error == EEXIST ? ENOTDIR : error);
    }
    if (slash < 0) return {};
    from = slash + 1;
  }
}

}  // namespace huesift
