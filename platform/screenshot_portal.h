// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <chrono>
#include <map>
#include <stdexcept>

class QDialog;

namespace huesift {

// How long the screenshot portal may take to answer before the capture gives up.
inline constexpr std::chrono::milliseconds kPortalTimeout{20000};

// What the folders where the portals put their pictures held before a call: the user's home
// and pictures folder (GNOME's and KDE's portals write a new file there for every call) and
// the temporary folders (wlroots' portal). The portal's answer names its file; that file was
// made for our call, and is ours to remove, only when it is a regular file that was not in its
// folder before, under its name or as the same file. In a folder not looked at, it must have
// come into being after the snapshot (its birth time, where the file system keeps one).
// Anything else is the user's.
class FolderSnapshot {
 public:
  explicit FolderSnapshot(const QStringList& folders = PortalFolders());
  bool madeSince(const QString& path) const;

  static QStringList PortalFolders();

 private:
  // canonical folder -> name -> inode
  std::map<QString, std::map<QString, unsigned long long>> folders_;
  long long takenAtNs_ = 0;  // the wall clock, as file times are kept
};

// A still of the whole desktop from the freedesktop screenshot portal, taken without asking
// the user anything. The event loop runs (user input held back) until the portal answers or
// the timeout passes. The portal's file is removed once read when the call made it (see
// FolderSnapshot). Throws std::runtime_error with a short reason when there is no picture.
//
// With waiting given, the call is waited for with no time-out and the user's input goes on:
// waiting (a modal window of ours) closing ends the wait with PortalCancelled.
QImage PortalScreenshot(std::chrono::milliseconds timeout = kPortalTimeout,
                        QDialog* waiting = nullptr);

class PortalCancelled : public std::runtime_error {
 public:
  PortalCancelled() : std::runtime_error("cancelled") {}
};

// What the desktop's permission store says about screenshots taken by programs outside a
// sandbox (they all share one entry).
enum class ScreenshotGrant { None, Granted, Refused };
ScreenshotGrant StoredScreenshotGrant();

// Whether the portal asks the user before the first screenshot of a program without a
// grant. It does where the desktop's screenshot back end is of version 2 or later (GNOME's);
// wlroots' and KDE's back ends are answered at once.
bool PortalAsksFirst();

}  // namespace huesift
