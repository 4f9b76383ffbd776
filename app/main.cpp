// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFontDatabase>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/huesift_application.h"
#include "app/main_window.h"
#include "app/startup_messages.h"
#include "cli/batch_mode.h"
#include "cli/command_line.h"
#include "platform/clipboard_reader.h"
#include "platform/qt_services.h"
#include "platform/translations.h"

namespace {

// The picture file named on the command line, opened once the window is up. Read from what
// Qt has left of the arguments, without its own options.
// The arguments are bytes, as the shell gave them: a name need not be UTF-8.
void OpenFileOfCommandLine(huesift::MainWindow& form, int argc, char** argv) {
  const huesift::CommandLine line =
      huesift::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.files.empty()) return;
  // The window holds one picture; the first is opened and the others are said to be left.
  if (line.files.size() > 1)
    std::fprintf(stderr, "huesift: %s\n",
                 qPrintable(QCoreApplication::translate(
                                "huesift::CommandLine",
                                "opening %1 only; the window holds one picture at a time")
                                .arg(QString::fromLocal8Bit(line.files.front().c_str()))));
  form.openPictureFileLater(QByteArray::fromStdString(line.files.front()));
}

int RunWindow(int argc, char** argv) {
  huesift::HoldStartupMessages();
  huesift::HuesiftApplication app(argc, argv);
  huesift::ReleaseStartupMessages();
  // Building the font database (fontconfig reads an entry for every installed font) took
  // 5 to 7 ms, which the window's first text, the gauge's "0%", waited for. Qt's font
  // database may be used from any thread: built on another core while the window is built
  // here, it is ready when the window is first painted.
  std::thread fontDatabase([] { QFontDatabase::families(); });
  huesift::InstallTranslations();
  huesift::QtServices services;
  app.setErrorServices(&services);

  huesift::MainWindow mainWindow(services);
  fontDatabase.join();

  // The program ends with its main window and only then.
  QObject::connect(&mainWindow, &huesift::MainWindow::closed, &app,
                   [] { QCoreApplication::exit(0); });
  mainWindow.show();
  // Qt has taken its own options (-platform xcb, -display :1, ...) out of argc and argv.
  OpenFileOfCommandLine(mainWindow, argc, argv);
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], huesift::kClipboardReaderFlag) == 0)
    huesift::RunClipboardReader(argc, argv);
  using huesift::CommandLine;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (huesift::ParseCommandLine(args).mode == CommandLine::Mode::Window)
    return RunWindow(argc, argv);
  // No window and no display: the image readers and the translations need only the core
  // application. The command line is read again once its words can be the user's language.
  QCoreApplication app(argc, argv);
  huesift::InstallTranslations();
  const CommandLine line = huesift::ParseCommandLine(args);
  switch (line.mode) {
    case CommandLine::Mode::Help:
      std::fputs(huesift::UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Mode::Version:
      std::printf("huesift %s\n", HUESIFT_VERSION);
      return 0;
    case CommandLine::Mode::UsageError:
      std::fputs(huesift::UsageErrorMessage(line.error).c_str(), stderr);
      return 2;
    case CommandLine::Mode::Batch: {
      // The image libraries write their own complaints to standard error ("libpng error:
      // ..."); each failure already gets its one line, so they go nowhere.
      std::FILE* messages = fdopen(dup(STDERR_FILENO), "w");
      if (!messages) messages = stderr;
      setvbuf(messages, nullptr, _IOLBF, 0);
      if (const int devNull = open("/dev/null", O_WRONLY); devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
        close(devNull);
      }
      return huesift::RunBatch(line, messages);
    }
    case CommandLine::Mode::Window:  // started above, without a core application
      break;
  }
  return 2;
}
