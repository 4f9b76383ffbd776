// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>

namespace huesift {

// The help window: one page of text describing every toolbar control, with a picture of
// each control beside its paragraph. Shown modally by "Help"; it changes nothing.
class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Everything above OK: scrolled where the screen is too small for the whole window.
  QScrollArea* pageArea = nullptr;
  QLabel* versionLabel = nullptr;
  QTextEdit* helpText = nullptr;
  QPushButton* okButton = nullptr;
  QLabel* captureIcon = nullptr;
  QLabel* processIcon = nullptr;
  QLabel* addColourIcon = nullptr;
  QLabel* undoIcon = nullptr;
  QLabel* reverseIcon = nullptr;
  QLabel* fillIcon = nullptr;
  QLabel* printIcon = nullptr;
  QLabel* retainedListIcon = nullptr;
  QLabel* resetIcon = nullptr;
  QLabel* gaugeIcon = nullptr;
  QLabel* quitIcon = nullptr;
  QLabel* stopIcon = nullptr;

  static QStringList HelpLines();

  // Sizes the window to fit an available screen area (frame included, as the window's
  // frame margins say): its full size where it fits, else smaller with the page scrolled and
  // OK kept at its bottom.
  void fitTo(const QRect& available, const QMargins& frame);

 public slots:
  void onOkClicked();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* picture(const QPixmap& pixmap, const QRect& geometry, const char* name);
};

}  // namespace huesift
