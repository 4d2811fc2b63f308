// The GUI tests need one QApplication for the whole process, made before any
// test runs and always on the offscreen platform, also when ctest lists the
// tests at build time.

#include <gtest/gtest.h>

#include <QApplication>

#include "web/web_global.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  varnelo::WebGlobal webGlobal;  // libcurl set up before any request
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
