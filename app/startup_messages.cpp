// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_messages.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace huesift {
namespace {

struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QByteArray file;
  QByteArray function;
  int line;
  QString text;
};

QtMessageHandler g_previous = nullptr;
std::vector<HeldMessage> g_held;

QByteArray Variable(const char* name) {
  return qgetenv(name).trimmed();
}

// The platforms Qt tried and could not start, from its "Could not load the Qt platform
// plugin" lines, in the order tried.
QStringList FailedPlatforms() {
  static const QRegularExpression plugin(QStringLiteral("platform plugin \"([^\"]+)\""));
  QStringList found;
  for (const HeldMessage& message : g_held) {
    const QRegularExpressionMatch match = plugin.match(message.text);
    if (match.hasMatch() && !found.contains(match.captured(1))) found << match.captured(1);
  }
  return found;
}

QByteArray Problem(const QString& fatalText) {
  const QByteArray x11 = Variable("DISPLAY");
  const QByteArray wayland = Variable("WAYLAND_DISPLAY");
  if (x11.isEmpty() && wayland.isEmpty()) return "no display: set DISPLAY or WAYLAND_DISPLAY";
  QByteArrayList problems;
  for (const QString& platform : FailedPlatforms()) {
    QByteArray problem;
    if (platform == QLatin1String("xcb")) {
      problem = x11.isEmpty() ? QByteArray("DISPLAY is not set") : "cannot open display " + x11;
    } else if (platform.startsWith(QLatin1String("wayland"))) {
      problem = "cannot open Wayland display " + (wayland.isEmpty() ? "wayland-0" : wayland);
    }
    if (!problem.isEmpty() && !problems.contains(problem)) problems << problem;
  }
  if (!problems.isEmpty()) return problems.join("; ");
  return "cannot start: " + fatalText.section('\n', 0, 0).toLocal8Bit();
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "huesift: %s\n", Problem(text).constData());
    std::fflush(stderr);
    std::_Exit(1);
  }
  g_held.push_back({type, context.category, context.file, context.function, context.line, text});
}

}  // namespace

void HoldStartupMessages() {
  g_previous = qInstallMessageHandler(Handler);
}

void ReleaseStartupMessages() {
  qInstallMessageHandler(g_previous);
  for (const HeldMessage& m : g_held) {
    const QMessageLogContext context(m.file.isEmpty() ? nullptr : m.file.constData(), m.line,
                                     m.function.isEmpty() ? nullptr : m.function.constData(),
                                     m.category.isEmpty() ? nullptr : m.category.constData());
    qt_message_output(m.type, context, m.text);
  }
  g_held.clear();
}

}  // namespace huesift
