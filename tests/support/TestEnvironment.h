#pragma once

namespace fegolin::test {

// Creates the scratch folders that CTest names in TMPDIR, XDG_CONFIG_HOME
// and XDG_RUNTIME_DIR, and refuses to run when a variable still points at
// the real home configuration: a test that touched ~/.config would be a bug.
// The registry is pointed at a scratch hive as well (IsolateProcessRegistry).
void PrepareTestEnvironment();

} // namespace fegolin::test
