#include "ui/qt/QtSaveDialog.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>

#include "os/CodePage.h"
#include "ui/qt/QtLook.h"

namespace larkspan {
namespace {

QString StartFolder(const std::u16string& initDir) {
  const QString folder = ToQString(initDir);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  return QDir::homePath();
}

// While a path is typed into the name line, the dialog selects in its file list every
// folder that the text passes through ("/", "/home", ...) and keeps them selected, since they
// lie outside the folder shown; Enter would then choose the first of them. The typed text
// is what the user means, so a path in the name line clears that selection.
void LetTypedPathsDecide(QFileDialog& dialog, QLineEdit& nameLine) {
  auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
  if (list == nullptr || list->selectionModel() == nullptr) return;
  QItemSelectionModel* selection = list->selectionModel();
  QObject::connect(&nameLine, &QLineEdit::textChanged, selection, [selection](const QString& text) {
    if (text.contains(QLatin1Char('/'))) selection->clearSelection();
  });
}

// The name line has the focus with its text selected, so typing a path replaces it and
// Enter chooses it. Its completion list would take the first Enter just to close itself,
// so it goes.
void FocusNameLine(QFileDialog& dialog) {
  auto* nameLine = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (nameLine == nullptr) return;
  nameLine->setCompleter(nullptr);
  LetTypedPathsDecide(dialog, *nameLine);
  nameLine->setFocus(Qt::OtherFocusReason);
  nameLine->selectAll();
}

}  // namespace

QStringList ToNameFilters(const std::u16string& filter) {
  const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString pattern = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
    if (pattern.isEmpty()) continue;
    const QString description = parts[i].trimmed();
    filters << (description.isEmpty() ? pattern : description + " (" + pattern + ")");
  }
  return filters;
}

void QtSaveDialog::ShowSave() {
#ifdef LARKSPAN_TIMING
  // The benchmarks download without anyone at the dialog.
  if (const char* path = std::getenv("LARKSPAN_SAVE_AS")) {
    FileName = ToWide(path);
    return;
  }
#endif
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The program asks its own question about an existing file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setWindowModality(Qt::ApplicationModal);
  const QStringList filters = ToNameFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDirectory(StartFolder(InitDir));
  // A full path (the one chosen at the last showing) also names the folder to start in.
  if (!FileName.empty()) dialog.selectFile(ToQString(FileName));
  QTimer::singleShot(0, &dialog, [&dialog] { FocusNameLine(dialog); });
  const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  FileName =
      chosen ? QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdU16String()
             : std::u16string();
}

}  // namespace larkspan
