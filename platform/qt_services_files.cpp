// SPDX-License-Identifier: GPL-3.0-or-later
// The file choosers for opening and saving pictures: the desktop's own where it has one.
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/qt_services.h"

namespace huesift {

namespace {

// "PNG picture (*.png)" -> "png": the extension a name without one is given.
QString FirstSuffix(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
  return pattern.match(filter).captured(1);
}

}  // namespace

std::optional<QString> QtServices::chooseFileToOpen(QWidget* parent, const QString& folder,
                                                    const QStringList& filters) {
  const QString path = QFileDialog::getOpenFileName(
      parent, QCoreApplication::translate("huesift::PictureFiles", "Open Picture"), folder,
      filters.join(QStringLiteral(";;")));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<std::pair<QString, QString>> QtServices::chooseFileToSave(
    QWidget* parent, const QString& suggested, const QStringList& filters) {
  QFileDialog dialog(parent,
                     QCoreApplication::translate("huesift::PictureFiles", "Save Picture As"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  const QFileInfo info(suggested);
  dialog.setDirectory(info.absolutePath());
  for (const QString& filter : filters) {
    if (FirstSuffix(filter).compare(info.suffix(), Qt::CaseInsensitive) == 0) {
      dialog.selectNameFilter(filter);
      break;
    }
  }
  dialog.selectFile(info.fileName());
  // A name typed without an extension gets the chosen format's, so that the dialog's question
  // about replacing a file is asked about the file that will really be written.
  dialog.setDefaultSuffix(FirstSuffix(dialog.selectedNameFilter()));
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog,
      [&dialog](const QString& filter) { dialog.setDefaultSuffix(FirstSuffix(filter)); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.constFirst().isEmpty()) return std::nullopt;
  return std::make_pair(chosen.constFirst(), dialog.selectedNameFilter());
}

}  // namespace huesift
