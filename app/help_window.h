// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace huesift {

// The help window: one page of text describing every toolbar control, with a picture of
// each control beside its paragraph. Shown modally by "Help"; it changes nothing.
class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

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

 public slots:
  void onOkClicked();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* picture(const QPixmap& pixmap, const QRect& geometry, const char* name);
};

}  // namespace huesift
