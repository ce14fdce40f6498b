#include "tests/support/TempTree.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fegolin::test {
namespace {

std::filesystem::path ScratchBase() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp == nullptr || *tmp == '\0') {
    throw std::runtime_error("TMPDIR is not set; run the tests through CTest");
  }
  return tmp;
}

// Gives every entry owner write and search permission again so that a test
// that left read-only folders behind can still be cleaned up.
void MakeWritable(const std::filesystem::path& root) {
  std::error_code ec;
  std::filesystem::permissions(
      root, std::filesystem::perms::owner_all,
      std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_symlink(ec)) {
      continue;
    }
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
}

} // namespace

TempTree::TempTree() {
  // A fresh name each time; creating the folder is the test for "fresh", so
  // two processes can never end up in the same tree.
  static std::mt19937_64 random{std::random_device{}()};
  const auto base = ScratchBase();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("tree-" + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      root_ = candidate;
      return;
    }
    if (ec) {
      break;
    }
  }
  throw std::runtime_error("cannot create a temporary folder below TMPDIR");
}

TempTree::~TempTree() {
  std::error_code ec;
  MakeWritable(root_);
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempTree::path(std::string_view relative) const {
  // Relative paths are written with '/'; on Windows they get its own
  // separator, so path strings compare equal to what the system returns.
  return (root_ / relative).make_preferred();
}

std::filesystem::path TempTree::file(std::string_view relative, std::string_view content) const {
  const auto p = path(relative);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << content;
  if (!out) {
    throw std::runtime_error("cannot write test file " + p.string());
  }
  return p;
}

std::filesystem::path TempTree::dir(std::string_view relative) const {
  const auto p = path(relative);
  std::filesystem::create_directories(p);
  return p;
}

std::set<std::string> EntriesBelow(const std::filesystem::path& root) {
  std::set<std::string> names;
  for (auto it = std::filesystem::recursive_directory_iterator(root);
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    names.insert(std::filesystem::relative(it->path(), root).generic_string());
  }
  return names;
}

} // namespace fegolin::test
