#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace fegolin::test {

// A fresh folder below the test's own TMPDIR, removed again (links are not
// followed) when the object goes away. Every test that touches files works
// inside one of these.
class TempTree {
public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  [[nodiscard]] const std::filesystem::path& root() const { return root_; }
  [[nodiscard]] std::filesystem::path path(std::string_view relative) const;

  // Creates a file (and its parent folders) holding the given text.
  std::filesystem::path file(std::string_view relative, std::string_view content = "x") const;
  // Creates a folder and its parents.
  std::filesystem::path dir(std::string_view relative) const;

private:
  std::filesystem::path root_;
};

// Everything below `root`, as relative paths with '/' on every system.
// Links are listed, never followed.
std::set<std::string> EntriesBelow(const std::filesystem::path& root);

} // namespace fegolin::test
