// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace huesift {
namespace {

// The translators this function installed, owned by the application.
QPointer<QTranslator> qtTranslator;
QPointer<QTranslator> programTranslator;

// "de-DE" -> {"de_DE", "de"}: the names a catalogue may carry, most specific first.
QStringList CatalogueNames(const QString& uiLanguage) {
  QString name = uiLanguage;
  name.replace(QLatin1Char('-'), QLatin1Char('_'));
  QStringList names;
  while (!name.isEmpty()) {
    names << name;
    const qsizetype cut = name.lastIndexOf(QLatin1Char('_'));
    name = cut < 0 ? QString() : name.left(cut);
  }
  return names;
}

// The first catalogue prefix_NAME.qm in folders, NAME from names in order; nothing if none.
QTranslator* LoadFirst(const QString& prefix, const QStringList& names,
                       const QStringList& folders) {
  for (const QString& name : names) {
    for (const QString& folder : folders) {
      const QString path = QDir(folder).filePath(prefix + name + QStringLiteral(".qm"));
      if (!QFileInfo(path).isFile()) continue;
      auto* translator = new QTranslator(QCoreApplication::instance());
      if (translator->load(path)) return translator;
      delete translator;
    }
  }
  return nullptr;
}

}  // namespace

QStringList CatalogueFolders(const QString& programDirectory) {
  const QString programDir =
      programDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : programDirectory;
  if (programDir.isEmpty()) return {};
  return {QDir(programDir).filePath(QStringLiteral("translations")),
          QDir(programDir).filePath(QStringLiteral("../share/huesift/translations"))};
}

QString InstallTranslations(const QLocale& locale, const QStringList& folders) {
  RemoveTranslations();
  if (!QCoreApplication::instance()) return {};
  const QStringList qtFolder = {QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
  const QString qtPrefix = QStringLiteral("qtbase_");
  // The first language of the desktop's list that is English or that the program has a
  // catalogue for decides, and Qt's catalogue is then the one of that language.
  QStringList allNames;
  for (const QString& uiLanguage : locale.uiLanguages()) {
    const QStringList names = CatalogueNames(uiLanguage);
    allNames << names;
    if (names.isEmpty() || names.constLast() == QLatin1String("en") ||
        names.constLast() == QLatin1String("C")) {
      qtTranslator = LoadFirst(qtPrefix, names, qtFolder);
      break;
    }
    programTranslator = LoadFirst(QStringLiteral("huesift_"), names, folders);
    if (programTranslator) {
      qtTranslator = LoadFirst(qtPrefix, names, qtFolder);
      break;
    }
  }
  // No catalogue of the program's for any of the desktop's languages: its own texts stay
  // English, but Qt's dialogs still speak the desktop's language where Qt has it.
  if (!qtTranslator && !programTranslator) qtTranslator = LoadFirst(qtPrefix, allNames, qtFolder);
  if (qtTranslator) QCoreApplication::installTranslator(qtTranslator);
  if (!programTranslator) return {};
  QCoreApplication::installTranslator(programTranslator);
  return programTranslator->language();
}

void RemoveTranslations() {
  for (QPointer<QTranslator>* translator : {&programTranslator, &qtTranslator}) {
    if (!*translator) continue;
    QCoreApplication::removeTranslator(*translator);
    delete translator->data();
    *translator = nullptr;
  }
}

}  // namespace huesift
