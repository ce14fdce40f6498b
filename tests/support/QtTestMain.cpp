// The main of the widget tests: the same prepared environment as the plain
// tests, plus one QApplication for the whole executable.
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  fegolin::test::PrepareTestEnvironment();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Fegolin"));
  return RUN_ALL_TESTS();
}
