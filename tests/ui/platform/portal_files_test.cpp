// SPDX-License-Identifier: GPL-3.0-or-later
// Which file after a portal call is the call's own to remove: only a regular file that was
// not in its folder before the call (or, in a folder not looked at, was born since); a file
// the user had is never touched.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "platform/screenshot_portal.h"

namespace huesift::test {
namespace {

void Write(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("png");
}

TEST(FolderSnapshot, OnlyAFileMadeSinceInAFolderLookedAtIsTheCallsOwn) {
  QTemporaryDir home, elsewhere;
  const QDir dir(home.path());
  Write(dir.filePath("Screenshot.png"));      // the user's, from before
  Write(dir.filePath("Screenshot-1.png"));    // the user's, replaced during the call
  Write(dir.filePath("kept-as-it-was.png"));  // the user's, overwritten in place
  // In a folder not looked at, a file's birth tells: the user's from before, the portal's since.
  Write(QDir(elsewhere.path()).filePath("Screenshot-1.png"));
  QThread::msleep(30);  // file times are kept to the system clock's tick, a few ms
  const FolderSnapshot before({home.path(), home.path() + "/not-there"});

  Write(dir.filePath("Screenshot-2.png"));  // what the portal wrote for the call
  Write(dir.filePath("replacement"));
  ASSERT_TRUE(QFile::remove(dir.filePath("Screenshot-1.png")));
  ASSERT_TRUE(QFile::rename(dir.filePath("replacement"), dir.filePath("Screenshot-1.png")));
  Write(dir.filePath("kept-as-it-was.png"));
  ASSERT_TRUE(QFile::link(dir.filePath("Screenshot.png"), dir.filePath("link.png")));
  ASSERT_TRUE(dir.mkdir("folder.png"));
  Write(QDir(elsewhere.path()).filePath("Screenshot-2.png"));

  EXPECT_TRUE(before.madeSince(dir.filePath("Screenshot-2.png")));
  EXPECT_TRUE(before.madeSince(dir.filePath("Screenshot-1.png")));
  EXPECT_TRUE(before.madeSince(home.path() + "/./Screenshot-2.png"));
  EXPECT_FALSE(before.madeSince(dir.filePath("Screenshot.png")));
  EXPECT_FALSE(before.madeSince(dir.filePath("kept-as-it-was.png")));
  EXPECT_FALSE(before.madeSince(dir.filePath("link.png")));
  EXPECT_FALSE(before.madeSince(dir.filePath("folder.png")));
  EXPECT_FALSE(before.madeSince(dir.filePath("missing.png")));
  EXPECT_TRUE(before.madeSince(QDir(elsewhere.path()).filePath("Screenshot-2.png")));
  EXPECT_FALSE(before.madeSince(QDir(elsewhere.path()).filePath("Screenshot-1.png")));
}

}  // namespace
}  // namespace huesift::test
