// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a German desktop: Qt's own dialogs and buttons and the program's own words
// follow the desktop's language. Run by the test ui_german under LANG=de_DE.UTF-8; the
// ordinary run of the UI tests leaves this suite out.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "platform/qt_services.h"
#include "platform/translations.h"

namespace huesift::test {
namespace {

// The visible texts of a window's labels and buttons, without their shortcut marks.
QStringList TextsOf(const QWidget* window) {
  QStringList texts;
  for (const QLabel* label : window->findChildren<QLabel*>())
    if (label->isVisible()) texts << label->text().remove(QLatin1Char('&'));
  for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
    if (button->isVisible()) texts << button->text().remove(QLatin1Char('&'));
  return texts;
}

// Runs act on the next modal window of type T once it is on the screen, from the event loop
// that its exec() runs.
template <typename T>
void WhenOpen(std::function<void(T*)> act) {
  QTimer::singleShot(10, [act] {
    if (T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        window && window->isVisible()) {
      act(window);
    } else {
      WhenOpen<T>(act);
    }
  });
}

class German : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QLocale::system().language(), QLocale::German)
        << "run under LANG=de_DE.UTF-8 (ctest -R ui_german)";
    InstallTranslations(QLocale::system(), {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  }
  void TearDown() override { RemoveTranslations(); }
};

TEST_F(German, SaveDialogAndItsReplaceQuestionSpeakGerman) {
  QTemporaryDir dir;
  const QString existing = dir.filePath(QStringLiteral("bild.png"));
  QFile(existing).open(QIODevice::WriteOnly);
  QStringList dialogTexts, questionTexts;
  WhenOpen<QFileDialog>([&](QFileDialog* dialog) {
    dialogTexts = TextsOf(dialog);
    WhenOpen<QMessageBox>([&, dialog](QMessageBox* question) {
      questionTexts = TextsOf(question);
      question->button(QMessageBox::No)->click();
      dialog->reject();
    });
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
  });
  QtServices services;
  const auto chosen = services.chooseFileToSave(
      nullptr, existing, {QStringLiteral("PNG (*.png)"), QStringLiteral("BMP (*.bmp)")});
  EXPECT_FALSE(chosen.has_value());
  EXPECT_TRUE(dialogTexts.contains(QStringLiteral("Speichern")))
      << dialogTexts.join('|').toStdString();
  EXPECT_TRUE(dialogTexts.contains(QStringLiteral("Abbrechen")))
      << dialogTexts.join('|').toStdString();
  EXPECT_TRUE(dialogTexts.contains(QStringLiteral("Dateiname:")))
      << dialogTexts.join('|').toStdString();
  EXPECT_TRUE(questionTexts.contains(QStringLiteral("Ja")))
      << questionTexts.join('|').toStdString();
  EXPECT_TRUE(questionTexts.contains(QStringLiteral("Nein")))
      << questionTexts.join('|').toStdString();
  EXPECT_TRUE(questionTexts.join('|').contains(QStringLiteral("existiert bereits")))
      << questionTexts.join('|').toStdString();
}

TEST_F(German, OpenDialogSpeaksGerman) {
  QTemporaryDir dir;
  QStringList texts;
  WhenOpen<QFileDialog>([&](QFileDialog* dialog) {
    texts = TextsOf(dialog);
    dialog->reject();
  });
  QtServices services;
  EXPECT_FALSE(services.chooseFileToOpen(nullptr, dir.path(), {QStringLiteral("PNG (*.png)")}));
  EXPECT_TRUE(texts.contains(QStringLiteral("Öffnen"))) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("Abbrechen"))) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("Suchen in:"))) << texts.join('|').toStdString();
}

TEST_F(German, EnglishDesktopKeepsQtsDialogsEnglish) {
  InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates),
                      {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  InstallTranslations(QLocale::system(), {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
}

}  // namespace
}  // namespace huesift::test
