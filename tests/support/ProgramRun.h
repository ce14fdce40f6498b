#pragma once

// Runs a program of the build as a command and collects what it printed.

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <string>
#include <utility>
#include <vector>

namespace fegolin::test {

struct ProgramRun {
  int code = -1; // -1: it did not start, or did not end normally
  std::string out;
  std::string err;
};

// `executable` with the test's environment, changed by `env`, and without
// any display unless `env` names one: a command that needed a window could
// not even start. Nothing goes to its standard input.
ProgramRun RunProgram(const QString& executable, const QStringList& args,
                      const std::vector<std::pair<QString, QString>>& env = {});

} // namespace fegolin::test
