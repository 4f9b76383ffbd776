// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard, printer and scheduling priority for the capture, paste, copy and print
// actions.
#include <cups/cups.h>
#include <sys/resource.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibrary>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <cerrno>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "platform/clipboard_reader.h"
#include "platform/print_geometry.h"
#include "platform/qt_services.h"
#include "platform/wayland_clipboard.h"

namespace huesift {

namespace {

// The print server's calls that Qt does not make for us, from its library loaded on the first
// print: linked to the program, it and what it pulls in (TLS, Kerberos, Avahi) took 2 ms of
// every start.
struct CupsCalls {
  decltype(&cupsGetNamedDest) getNamedDest = nullptr;
  decltype(&cupsCopyDestInfo) copyDestInfo = nullptr;
  decltype(&cupsFindDestDefault) findDestDefault = nullptr;
  decltype(&ippGetValueTag) valueTag = nullptr;
  decltype(&ippGetResolution) resolution = nullptr;
  decltype(&cupsFreeDestInfo) freeDestInfo = nullptr;
  decltype(&cupsFreeDests) freeDests = nullptr;

  // Null when the library or any of the calls is missing.
  static const CupsCalls* get() {
    static const std::optional<CupsCalls> calls = []() -> std::optional<CupsCalls> {
      QLibrary cups(QStringLiteral("cups"), 2);
      if (!cups.load()) return std::nullopt;  // kept loaded for the program's lifetime
      CupsCalls c;
      auto resolve = [&cups](auto& call, const char* name) {
        call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(cups.resolve(name));
        return call != nullptr;
      };
      if (resolve(c.getNamedDest, "cupsGetNamedDest") &&
          resolve(c.copyDestInfo, "cupsCopyDestInfo") &&
          resolve(c.findDestDefault, "cupsFindDestDefault") &&
          resolve(c.valueTag, "ippGetValueTag") && resolve(c.resolution, "ippGetResolution") &&
          resolve(c.freeDestInfo, "cupsFreeDestInfo") && resolve(c.freeDests, "cupsFreeDests"))
        return c;
      return std::nullopt;
    }();
    return calls ? &*calls : nullptr;
  }
};

// The printer's own default resolution as the print server states it; 0 when it does not.
int DefaultResolution(const QString& printerName) {
  const CupsCalls* cups = CupsCalls::get();
  if (!cups) return 0;
  const QByteArray name = printerName.section('/', 0, 0).toLocal8Bit();
  cups_dest_t* dest = cups->getNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
  if (!dest) return 0;
  int dpi = 0;
  if (cups_dinfo_t* info = cups->copyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    ipp_attribute_t* attr =
        cups->findDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
    if (attr && cups->valueTag(attr) == IPP_TAG_RESOLUTION) {
      int yres = 0;
      ipp_res_t units = IPP_RES_PER_INCH;
      const int xres = cups->resolution(attr, 0, &yres, &units);
      dpi = units == IPP_RES_PER_INCH ? xres : static_cast<int>(std::lround(xres * 2.54));
    }
    cups->freeDestInfo(info);
  }
  cups->freeDests(1, dest);
  return dpi;
}

// How long the window is left alone, after it was first painted and after each paste, before
// a spare clipboard reader starts: long enough for the picture to be on the screen first.
constexpr int kSpareDelayMs = 250;

// How long the clipboard's owner has to answer, and to go on sending once it has begun.
constexpr int kOwnerTimeoutMs = 4500;

// Scheduling priority saved while a capture rectangle is dragged.
bool g_priorityRaised = false;
int g_savedNice = 0;

}  // namespace

QtServices::QtServices(QString programDirectory) : programDirectory_(std::move(programDirectory)) {}

QtServices::~QtServices() = default;

ClipboardReaders& QtServices::clipboardReaders() {
  if (!clipboardReaders_) clipboardReaders_ = std::make_unique<ClipboardReaders>();
  return *clipboardReaders_;
}

WaylandClipboard* QtServices::waylandClipboard() {
  if (!std::exchange(waylandClipboardTried_, true)) waylandClipboard_ = WaylandClipboard::create();
  return waylandClipboard_.get();
}

void QtServices::prepareClipboardRead() {
  if (QGuiApplication::platformName() == "xcb") clipboardReaders().startSpareLater(kSpareDelayMs);
  // Our data device is made while the window is idle, and learns the selection from now on.
  waylandClipboard();
}

void QtServices::abandonClipboardRead() {
  if (waylandClipboard_) waylandClipboard_->abandonRead();
}

std::optional<EncodedImage> QtServices::clipboardImageBytes(const ClipboardWait& wait) {
  if (QGuiApplication::platformName() == "xcb") {
    // Whatever came of this read, the next one gets its spare once the window is idle again.
    struct AfterRead {
      ClipboardReaders& readers;
      ~AfterRead() { readers.startSpareLater(kSpareDelayMs); }
    } next{clipboardReaders()};
    return next.readers.read(kOwnerTimeoutMs);
  }
  if (WaylandClipboard* wayland = waylandClipboard())
    return wayland->read(wait, kOwnerTimeoutMs, kClipboardTransferTimeoutMs);
  // Elsewhere the clipboard is the program's own (offscreen).
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
  if (!mime)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString());
  return TakeImageBytes(*mime);
}

void QtServices::setClipboardImage(const QImage& image, const QByteArray& png) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Clipboard", "Cannot open clipboard").toStdString());
  if (WaylandClipboard* wayland = waylandClipboard()) {
    // The PNG alone: it is exact, every program that reads pictures takes it, and each
    // reader is served from the one encoding made for this copy.
    wayland->setPng(image.isNull() ? QByteArray() : png);
    return;
  }
  if (image.isNull()) {
    clipboard->clear(QClipboard::Clipboard);  // an empty picture: nothing is left to paste
    return;
  }
  auto* mime = new QMimeData;
  // The image too, from which Qt offers the other image formats it knows.
  mime->setData("image/png", png);
  mime->setImageData(image);
  clipboard->setMimeData(mime, QClipboard::Clipboard);
}

void QtServices::printImage(const QImage& image, double scale) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull())
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Printer",
                                    "There is no default printer currently selected")
            .toStdString());
  QPrinter printer(info, QPrinter::PrinterResolution);
  // Qt's "printer resolution" is a fixed 72 dots per inch; the picture's scale is meant in
  // the printer's own device pixels.
  if (const int dpi = DefaultResolution(info.printerName()); dpi > 0) printer.setResolution(dpi);
  // The page's own printable area, not the margins Qt adds of its own accord.
  QPageLayout layout = printer.pageLayout();
  layout.setMargins(layout.minimumMargins());
  printer.setPageLayout(layout);
  printer.setDocName(QString());
  printer.setCreator(QString());

  QPainter painter;
  if (!painter.begin(&printer))
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Printer", "The print job could not be started")
            .toStdString());
  if (!image.isNull()) painter.drawImage(PrintRectangle(image.size(), scale), image);
  if (printer.printerState() == QPrinter::Error) {
    // Not left open: a half-written job goes nowhere.
    printer.abort();
    painter.end();
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Printer", "The print job failed and was cancelled")
            .toStdString());
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error)
    throw std::runtime_error(
        QCoreApplication::translate("huesift::Printer", "The print job failed").toStdString());
}

void QtServices::raisePriority() {
  if (g_priorityRaised) return;
  errno = 0;
  const int now = getpriority(PRIO_PROCESS, 0);
  if (errno != 0) return;
  g_savedNice = now;
  g_priorityRaised = true;
  // On Linux the nice value belongs to the calling thread, the user-interface thread here.
  // Take the highest priority the system allows; without the right to raise it, nothing
  // changes and the capture works the same.
  for (int nice = PRIO_MIN; nice < now; ++nice) {
    if (setpriority(PRIO_PROCESS, 0, nice) == 0) break;
  }
}

void QtServices::restorePriority() {
  if (!g_priorityRaised) return;
  g_priorityRaised = false;
  setpriority(PRIO_PROCESS, 0, g_savedNice);
}

}  // namespace huesift
