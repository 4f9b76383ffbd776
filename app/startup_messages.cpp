// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_messages.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/translations.h"

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
  if (x11.isEmpty() && wayland.isEmpty())
    return QCoreApplication::translate("huesift::Startup",
                                       "no display: set DISPLAY or WAYLAND_DISPLAY")
        .toLocal8Bit();
  QByteArrayList problems;
  for (const QString& platform : FailedPlatforms()) {
    QByteArray problem;
    if (platform == QLatin1String("xcb")) {
      problem =
          (x11.isEmpty() ? QCoreApplication::translate("huesift::Startup", "DISPLAY is not set")
                         : QCoreApplication::translate("huesift::Startup", "cannot open display %1")
                               .arg(QString::fromLocal8Bit(x11)))
              .toLocal8Bit();
    } else if (platform.startsWith(QLatin1String("wayland"))) {
      problem = QCoreApplication::translate("huesift::Startup", "cannot open Wayland display %1")
                    .arg(QString::fromLocal8Bit(wayland.isEmpty() ? "wayland-0" : wayland))
                    .toLocal8Bit();
    }
    if (!problem.isEmpty() && !problems.contains(problem)) problems << problem;
  }
  if (!problems.isEmpty()) return problems.join("; ");
  return QCoreApplication::translate("huesift::Startup", "cannot start: %1")
      .arg(fatalText.section('\n', 0, 0))
      .toLocal8Bit();
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // The application object stands, but the translations are installed only once it is made.
    InstallTranslations();
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
