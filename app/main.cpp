// The desktop program: no arguments, no settings. The shared place search and
// gzip codec are made before the first window and destroyed only after the last
// window, and with it the worker of any run, is gone.

#include <QApplication>

#include "app/main_window.h"
#include "app/platform_runs.h"
#include "app/program.h"
#include "app/qt_dialogs.h"
#include "collect/place_search.h"
#include "web/gzip_codec.h"
#include "web/web_global.h"

int main(int argc, char** argv) {
  // The web library's process-wide set-up, first in and last out.
  varnelo::WebGlobal webGlobal;
  QApplication app(argc, argv);

  varnelo::GzipCodec gzipCodec;
  const varnelo::PlaceSearch placeSearch({}, &gzipCodec);
  varnelo::QtDialogs dialogs;

  auto* window = new varnelo::MainWindow(varnelo::PlaceSearchRuns(placeSearch), dialogs);
  window->show();
  return varnelo::RunUntilLastWindowCloses(app);
}
