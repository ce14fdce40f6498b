#include "tests/support/TempTree.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <sys/stat.h>

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
  std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add |
                                   std::filesystem::perm_options::nofollow,
                               ec);
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
  std::string pattern = (ScratchBase() / "tree-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder below TMPDIR");
  }
  root_ = pattern;
}

TempTree::~TempTree() {
  std::error_code ec;
  MakeWritable(root_);
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempTree::path(std::string_view relative) const {
  return root_ / relative;
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

} // namespace fegolin::test
