// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVariantMap>
#include <chrono>
#include <optional>

namespace huesift {

// A rectangle of the desktop (logical coordinates) from KWin's own screenshot interface
// (org.kde.KWin.ScreenShot2), at the screen's own resolution and without the pointer, which
// the desktop portal on KDE draws into its picture. KWin answers only programs whose
// executable an installed desktop entry names with that interface in
// X-KDE-DBUS-Restricted-Interfaces.
//
// Nothing where KWin does not offer the interface or refuses us (the caller then asks the
// portal); why not, in reason, when given. Throws std::runtime_error with a short reason when
// KWin took the call but no picture came within the timeout, or not a readable one.
std::optional<QImage> KWinScreenshot(const QRect& area, std::chrono::milliseconds timeout,
                                     QString* reason = nullptr);

// The picture KWin wrote to the pipe, as the reply's metadata describes it (width, height,
// stride, a QImage format), in Format_RGB32. Throws std::runtime_error when the metadata does
// not describe the bytes.
QImage DecodeKWinPixels(const QByteArray& pixels, const QVariantMap& metadata);

// Whether this session's desktop is KDE Plasma's, where the portal draws the pointer.
bool KdeSession();

}  // namespace huesift
