// Runs the window tests on the offscreen platform unless another one is asked for.
#include <QApplication>

#include "base/singleton.h"
#include "ui_test_support.h"

int RunMainWindowTests(int argc, char** argv);
int RunSettingsFormTests(int argc, char** argv);
int RunSmallWindowTests(int argc, char** argv);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // A copy started by the test of a start without the classifier files.
  if (qgetenv("ZAZORU_UI_START") == "without-classifiers") return zz::uitest::StartWithoutClassifiers();
  int failed = 0;
  failed += RunMainWindowTests(argc, argv);
  failed += RunSettingsFormTests(argc, argv);
  failed += RunSmallWindowTests(argc, argv);
  zz::TSingleton::DestroyAll();
  return failed == 0 ? 0 : 1;
}
