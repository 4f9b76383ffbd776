// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace huesift {

// The folders that may hold the program's own catalogues (huesift_de.qm, ...), found the way
// the tool cursors are: beside the program (a build folder keeps them in its translations
// folder), then in its installed data folder, bin/../share/huesift/translations.
// programDirectory empty means the folder of the running executable.
QStringList CatalogueFolders(const QString& programDirectory = {});

// Installs on the running application (QApplication or the batch mode's QCoreApplication)
// the translations for locale, the desktop's language unless told otherwise: Qt's own
// catalogue (qtbase_*.qm from Qt's translations folder, Debian's qt6-translations-l10n), so
// that standard dialogs and buttons follow it, and the program's own from folders. The
// program's texts are English in the sources; English in the desktop's list of languages
// before any language the program has a catalogue for keeps them English. Translators
// installed before by this function are removed first. Returns the language whose
// catalogue of the program's was loaded ("de"), or empty when the texts stay English.
QString InstallTranslations(const QLocale& locale = QLocale::system(),
                            const QStringList& folders = CatalogueFolders());

// Removes what InstallTranslations installed: the texts are English again.
void RemoveTranslations();

}  // namespace huesift
