// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

/// The one QApplication the widget tests of this program share, on the
/// offscreen platform unless another one is asked for.
inline QApplication& TestApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tablet_layers_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

/// A base for fixtures whose members are widgets: the application comes first.
struct WithTestApplication {
  WithTestApplication() { TestApplication(); }
};
