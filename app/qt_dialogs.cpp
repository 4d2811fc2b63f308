#include "app/qt_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace varnelo {
namespace {

// A box with no owner that leaves every window usable while it is open: the
// worker that asked waits for the answer, the window thread does not.
QMessageBox* OpenBox(const QString& caption, const QString& text,
                     QMessageBox::StandardButtons buttons) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, buttons);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  return box;
}

DialogCloser CloserFor(QMessageBox* box, QMetaObject::Connection answer) {
  QPointer<QMessageBox> guard(box);
  return [guard, answer] {
    if (guard == nullptr) return;
    QObject::disconnect(answer);
    guard->close();
  };
}

}  // namespace

DialogCloser QtDialogs::Inform(const QString& caption, const QString& text, BoxIcon icon,
                               std::function<void()> done) {
  QMessageBox* box = OpenBox(caption, text, QMessageBox::Ok);
  switch (icon) {
    case BoxIcon::kNone:
      break;
    case BoxIcon::kInformation:
      box->setIcon(QMessageBox::Information);
      break;
    case BoxIcon::kWarning:
      box->setIcon(QMessageBox::Warning);
      break;
  }
  auto answer = QObject::connect(box, &QMessageBox::finished, box, [done = std::move(done)] {
    if (done) done();
  });
  box->show();
  return CloserFor(box, answer);
}

DialogCloser QtDialogs::AskYesNo(const QString& caption, const QString& text,
                                 std::function<void(bool yes)> answered) {
  QMessageBox* box = OpenBox(caption, text, QMessageBox::Yes | QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  auto answer =
      QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)] {
        if (answered) answered(box->clickedButton() == box->button(QMessageBox::Yes));
      });
  box->show();
  return CloserFor(box, answer);
}

void QtDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

std::optional<QString> QtDialogs::AskSavePath(const SaveDialogOptions& options) {
  QFileDialog dialog(options.owner, {}, options.initialFolder);
  dialog.setObjectName(options.name);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!options.filters.isEmpty()) dialog.setNameFilters(options.filters);
  dialog.setDefaultSuffix(options.defaultSuffix);
  if (!options.defaultSuffix.isEmpty()) {
    // A typed name without an extension gets the one of the chosen filter, so
    // choosing "*.xlsx" and typing "a" saves a.xlsx rather than a.xls.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, fallback = options.defaultSuffix](const QString& filter) {
                       const qsizetype star = filter.lastIndexOf(u"*.");
                       QString suffix = star < 0 ? fallback : filter.mid(star + 2);
                       const qsizetype close = suffix.indexOf(u')');
                       if (close >= 0) suffix.truncate(close);
                       dialog.setDefaultSuffix(suffix.isEmpty() ? fallback : suffix);
                     });
  }
  dialog.selectFile(options.proposedName);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace varnelo
