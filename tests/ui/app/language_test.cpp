// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a German desktop: Qt's own dialogs and buttons and the program's own words
// follow the desktop's language; an English desktop keeps them English. Run by the test ui_german
// under LANG=de_DE.UTF-8; the ordinary run of the UI tests leaves this suite out.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <map>

#include "app/help_window.h"
#include "app/main_window.h"
#include "colours/colour_box.h"
#include "platform/qt_services.h"
#include "platform/translations.h"
#include "tests/ui/fake_services.h"

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

// The fake desktop, but with the real message box, as the user sees it.
class RealMessageBox : public FakeServices {
 public:
  void showMessage(QWidget* parent, const QString& text) override {
    messages << text;
    QtServices().showMessage(parent, text);
  }
};

TEST_F(German, MainWindowMessageBoxAndColourBoxSpeakGerman) {
  RealMessageBox services;
  services.cursorLoader = [](const QString&) { return std::nullopt; };
  MainWindow window(services);
  window.show();
  EXPECT_EQ(window.captureButton->toolTip(), "Aufnehmen");
  EXPECT_EQ(window.undoButton->toolTip(), "Rückgängig (Strg+Z)");
  EXPECT_EQ(window.retainedList->toolTip(), "Behaltene Farben");
  EXPECT_EQ(window.stopButton->accessibleName(), "Anhalten");
  EXPECT_EQ(window.saveAsAction->text(), "Bild speichern unter …");
  EXPECT_EQ(window.pasteAction->text(), "Einfügen");
  EXPECT_EQ(window.convertWhiteAction->text(), "Weiß in Zielfarbe umwandeln");
  window.colourBox->openFor(1);  // its title row fits its texts once it opens
  const QLabel* title = window.colourBox->titleLabel;
  EXPECT_EQ(title->text(), "Welche Farbe behalten?");
  EXPECT_LE(QFontMetrics(title->font()).horizontalAdvance(title->text()), title->width());

  // "Cursor not loaded", in the message box the program shows.
  QStringList boxTexts;
  WhenOpen<QMessageBox>([&](QMessageBox* box) {
    boxTexts = TextsOf(box);
    box->button(QMessageBox::Ok)->click();
  });
  window.state.runState = RunState::Idle;
  window.addColourButton->setEnabled(true);
  QTest::mouseClick(window.addColourButton, Qt::LeftButton);
  ASSERT_EQ(services.messages.size(), 1);
  EXPECT_TRUE(boxTexts.contains("Der Mauszeiger konnte nicht geladen werden"))
      << boxTexts.join('|').toStdString();
}

// The full list in German whichever way a colour meets it: a chosen candidate and Retain All.
TEST_F(German, FullListIsSaidInGermanByEveryPath) {
  FakeServices services;
  MainWindow window(services);
  window.show();
  for (Colour c = 1; c < kMaxColours; ++c) window.retainedList->appendColour(c);
  CandidateList* candidates = window.colourBox->candidateList;
  for (Colour c : {0x112233, 0x445566}) candidates->appendColour(c);
  window.colourBox->openFor(2);
  candidates->setCurrentRow(1);
  emit candidates->chosen();
  QTest::mouseClick(window.colourBox->retainAllButton, Qt::LeftButton);
  const QString full =
      QString::fromUtf8("Die Liste ist voll – löschen Sie eine Farbe und fahren Sie dann fort.");
  EXPECT_EQ(services.messages, QStringList({full, full}));
  EXPECT_EQ(window.retainedList->count(), kMaxColours);
}

TEST_F(German, HelpWindowKeepsItsLinesBesideThePictures) {
  HelpWindow help;
  EXPECT_EQ(help.windowTitle(), "Huesift-Hilfe");
  const QStringList lines = help.helpText->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 40);
  EXPECT_TRUE(lines[0].startsWith("Aufnehmen:"));
  EXPECT_TRUE(lines[17].startsWith("Rückgängig:"));
  EXPECT_TRUE(lines[38].startsWith("Bild:"));
  const QFontMetrics metrics(help.helpText->font());
  for (const QString& line : lines)
    EXPECT_LE(metrics.horizontalAdvance(line), help.helpText->width()) << line.toStdString();
}

// What a window and its children say, by object name: texts, tooltips, accessible names.
std::map<QString, QString> SaidBy(const QWidget& window) {
  std::map<QString, QString> said;
  for (const QAction* action : window.findChildren<QAction*>())
    said[action->objectName() + " text"] = action->text();
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty()) continue;
    said[name + " toolTip"] = widget->toolTip();
    said[name + " accessibleName"] = widget->accessibleName();
    if (auto* label = qobject_cast<const QLabel*>(widget)) said[name + " text"] = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
      said[name + " text"] = button->text();
    if (auto* text = qobject_cast<const QTextEdit*>(widget))
      said[name + " text"] = text->toPlainText();
  }
  return said;
}

TEST_F(German, NothingInTheWindowsStaysEnglish) {
  FakeServices services;
  MainWindow german(services);
  std::map<QString, QString> germanSaid = SaidBy(german);
  germanSaid.merge(SaidBy(german.help()));
  RemoveTranslations();
  MainWindow english(services);
  std::map<QString, QString> englishSaid = SaidBy(english);
  englishSaid.merge(SaidBy(english.help()));
  // The same in both languages: a sign, a word German shares, the program's name and version.
  const QStringList same = {"X", "OK", "   Huesift v1.4\nBrevant"};
  for (const auto& [what, text] : englishSaid) {
    if (text.isEmpty() || same.contains(text)) continue;
    EXPECT_NE(germanSaid[what], text) << what.toStdString() << " is still English";
  }
}

TEST_F(German, EnglishDesktopKeepsQtsDialogsEnglish) {
  InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates),
                      {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_EQ(QCoreApplication::translate("huesift::Toolbar", "Capture"), "Capture");
  // A language the program has no catalogue for: its own words stay English, Qt's dialogs
  // still speak the desktop's language.
  InstallTranslations(QLocale(QLocale::French, QLocale::France),
                      {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
  EXPECT_EQ(QCoreApplication::translate("huesift::Toolbar", "Capture"), "Capture");
  InstallTranslations(QLocale::system(), {QStringLiteral(HUESIFT_TRANSLATIONS_DIR)});
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
  EXPECT_EQ(QCoreApplication::translate("huesift::Toolbar", "Capture"), "Aufnehmen");
}

}  // namespace
}  // namespace huesift::test
