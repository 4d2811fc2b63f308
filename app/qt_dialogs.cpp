#include "app/qt_dialogs.h"

#include <QDesktopServices>
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

DialogCloser QtDialogs::Inform(const QString& caption, const QString& text,
                               std::function<void()> done) {
  QMessageBox* box = OpenBox(caption, text, QMessageBox::Ok);
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

}  // namespace varnelo
