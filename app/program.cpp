#include "app/program.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace varnelo {

int RunUntilLastWindowCloses(QApplication& app) {
  const int result = app.exec();
  // Windows closed last were only scheduled for deletion when the loop ended.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QList<QPointer<QWidget>> windows;
  for (QWidget* window : QApplication::topLevelWidgets()) windows.push_back(window);
  // Deleting one window may take others with it; the guards tell.
  for (const QPointer<QWidget>& window : windows) delete window.data();
  return result;
}

}  // namespace varnelo
