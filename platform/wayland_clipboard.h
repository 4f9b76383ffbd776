// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/services.h"

namespace huesift {

// The Wayland clipboard, spoken to directly on Qt's own connection to the compositor.
//
// Qt 6.4 reads a pasted offer's pipe on the user-interface thread, waiting up to a second at
// a time, and writes what it copied into the reader's pipe there too, blocking for as long as
// the reader does not read. The protocol needs neither: a data device of our own on Qt's seat
// sees the same selection as Qt's, its offer's bytes come through a pipe read from the event
// loop, and a source of our own answers each reader through a non-blocking pipe written from
// the event loop. Our objects live on a private event queue, so Qt's dispatching never calls
// into them and ours never into Qt's.
class WaylandClipboard : public QObject {
 public:
  // Null unless Qt runs on Wayland and the compositor has a data device manager.
  static std::unique_ptr<WaylandClipboard> create();
  ~WaylandClipboard() override;

  // The selection's picture in the best image format it offers (as TakeImageBytes chooses),
  // read while the event loop goes on, user input included; nothing when it offers none or
  // the read was abandoned. The owner must start sending within ownerTimeoutMs and never
  // fall silent for as long, and the whole picture must come within totalMs. Throws
  // std::runtime_error with the reason otherwise. wait.underWay is called once the read has
  // gone on long enough to be seen.
  std::optional<EncodedImage> read(const ClipboardWait& wait, int ownerTimeoutMs, int totalMs);
  // Ends a read under way; it then answers nothing.
  void abandonRead();

  // Offers png as the selection (image/png); an empty png clears the selection. Readers are
  // served from the event loop, each at its own pace.
  void setPng(const QByteArray& png);

  struct Connection;

 private:
  WaylandClipboard() = default;
  std::unique_ptr<Connection> c_;
};

}  // namespace huesift
