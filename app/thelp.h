// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace huesift {

// The help window: one page of text describing every toolbar control, with a picture of
// each control beside its paragraph. Shown modally by "Help"; it changes nothing.
class THelp : public QDialog {
  Q_OBJECT
 public:
  explicit THelp(QWidget* parent = nullptr);

  QLabel* Label4 = nullptr;
  QTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* Image4 = nullptr;
  QLabel* Image5 = nullptr;
  QLabel* Image6 = nullptr;
  QLabel* Image7 = nullptr;
  QLabel* Image8 = nullptr;
  QLabel* Image9 = nullptr;
  QLabel* Image10 = nullptr;
  QLabel* Image11 = nullptr;
  QLabel* Image12 = nullptr;

  static const QStringList& HelpLines();

 public slots:
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* picture(const QPixmap& pixmap, const QRect& geometry, const char* name);
};

}  // namespace huesift
