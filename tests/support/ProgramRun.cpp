#include "tests/support/ProgramRun.h"

#include <QtCore/QProcess>
#include <QtCore/QProcessEnvironment>

namespace fegolin::test {

ProgramRun RunProgram(const QString& executable, const QStringList& args,
                      const std::vector<std::pair<QString, QString>>& env) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    environment.remove(name);
  }
  for (const auto& [name, value] : env) {
    environment.insert(name, value);
  }
  process.setProcessEnvironment(environment);
  process.start(executable, args);
  if (!process.waitForStarted()) {
    return {};
  }
  process.closeWriteChannel();
  process.waitForFinished(-1);
  const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return {code, process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

} // namespace fegolin::test
