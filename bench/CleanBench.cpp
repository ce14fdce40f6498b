// Measures the cleaning engine against rm -rf on identical fresh trees.
//
//   fegolin_clean_bench [--files N] [--folders N] [--rounds N] [FOLDER]
//
// Every round builds two identical trees below a fresh scratch folder inside
// FOLDER (default: $TMPDIR, else /tmp), empties one with CleanDirectory and
// removes the other whole with rm -rf, in alternating order, and prints both
// times. The median ratio clean/rm closes the report.

#include "common/uCommon.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Options {
  int files = 100000;
  int folders = 1000;
  int rounds = 5;
  fs::path base;
};

void Usage() {
  std::fprintf(stderr,
               "usage: fegolin_clean_bench [--files N] [--folders N] [--rounds N] [FOLDER]\n");
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  const char* tmp = std::getenv("TMPDIR");
  options.base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    int* target = arg == "--files"     ? &options.files
                  : arg == "--folders" ? &options.folders
                  : arg == "--rounds"  ? &options.rounds
                                       : nullptr;
    if (target != nullptr) {
      if (i + 1 >= argc || (*target = std::atoi(argv[++i])) <= 0) {
        return std::nullopt;
      }
    } else if (!arg.empty() && arg[0] != '-') {
      options.base = arg;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

void Check(bool ok, const std::string& what) {
  if (!ok) {
    throw std::runtime_error(what);
  }
}

// Writes one small file below an open folder.
void MakeFile(int dirFd, const char* name, mode_t mode) {
  static const char kContent[] = "Fegolin benchmark file: a few bytes of ordinary content.\n";
  const int fd = ::openat(dirFd, name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
  Check(fd >= 0, std::string("cannot create ") + name);
  Check(::write(fd, kContent, sizeof kContent - 1) == sizeof kContent - 1, "cannot write");
  ::close(fd);
}

// The benchmark tree: folders in ten groups, files spread evenly over them;
// every tenth file read-only, every twentieth a dot-file, every tenth folder
// read-only (made so after it was filled).
void BuildTree(const fs::path& root, const Options& options) {
  fs::create_directory(root);
  const int groups = std::min(10, options.folders);
  std::vector<fs::path> folders;
  for (int i = 0; i < options.folders; ++i) {
    folders.push_back(root / ("group" + std::to_string(i % groups)) /
                      ("folder" + std::to_string(i)));
    fs::create_directories(folders.back());
  }
  char name[64];
  for (int f = 0; f < options.folders; ++f) {
    const int dirFd = ::open(folders[f].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(dirFd >= 0, "cannot open " + folders[f].string());
    for (int i = f; i < options.files; i += options.folders) {
      const bool dot = i % 20 == 7;
      const bool readOnly = i % 10 == 3;
      std::snprintf(name, sizeof name, "%sfile%06d.dat", dot ? "." : "", i);
      MakeFile(dirFd, name, readOnly ? 0444 : 0644);
    }
    ::close(dirFd);
  }
  for (int f = 5; f < options.folders; f += 10) {
    ::chmod(folders[f].c_str(), 0555);
  }
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double CpuSeconds(const rusage& usage) {
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall-clock time and processor time (user + system) of one contestant.
// On a machine shared with other work the processor time is the steadier
// of the two.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

Timing TimeClean(const fs::path& tree) {
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  const bool result = fegolin::CleanDirectory("*.*", tree.string());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  Check(result && fs::is_empty(tree), "CleanDirectory left " + tree.string() + " not empty");
  return {Seconds(elapsed), CpuSeconds(after) - CpuSeconds(before)};
}

// rm -rf on the whole tree. An ordinary user's rm cannot delete from the
// read-only folders, so then the tree is made writable first, inside the
// timing: that is what emptying it by hand would take.
Timing TimeRemove(const fs::path& tree) {
  std::string path = tree.string();
  char sh[] = "sh";
  char dashC[] = "-c";
  char script[] = "[ \"$(id -u)\" = 0 ] || chmod -R u+w \"$1\"; exec rm -rf \"$1\"";
  char* const argv[] = {sh, dashC, script, sh, path.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  Check(::posix_spawnp(&child, "sh", nullptr, nullptr, argv, environ) == 0, "cannot start rm");
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  Check(WIFEXITED(status) && WEXITSTATUS(status) == 0 && !fs::exists(tree), "rm -rf failed");
  return {Seconds(elapsed), CpuSeconds(usage)};
}

// Writes out what building the trees left dirty, so neither contestant pays
// for the other's creation.
void Settle(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::syncfs(fd);
    ::close(fd);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Run(const Options& options) {
  fs::create_directories(options.base);
  std::string pattern = (options.base / "fegolin-bench-XXXXXX").string();
  Check(::mkdtemp(pattern.data()) != nullptr,
        "cannot create a scratch folder in " + options.base.string());
  const fs::path scratch = pattern;
  std::printf("trees of %d files in %d folders below %s\n", options.files, options.folders,
              scratch.c_str());

  std::vector<double> ratios;
  std::vector<double> cpuRatios;
  for (int round = 1; round <= options.rounds; ++round) {
    const fs::path cleanTree = scratch / "clean";
    const fs::path rmTree = scratch / "rm";
    BuildTree(cleanTree, options);
    BuildTree(rmTree, options);
    Settle(scratch);
    Timing clean;
    Timing rm;
    // Alternate who goes first so a warm cache favours neither.
    if (round % 2 == 1) {
      clean = TimeClean(cleanTree);
      rm = TimeRemove(rmTree);
    } else {
      rm = TimeRemove(rmTree);
      clean = TimeClean(cleanTree);
    }
    fs::remove(cleanTree);
    ratios.push_back(clean.wall / rm.wall);
    cpuRatios.push_back(clean.cpu / rm.cpu);
    std::printf("round %d: CleanDirectory %.3f s (cpu %.3f s), rm -rf %.3f s (cpu %.3f s), "
                "ratio %.3f (cpu %.3f)\n",
                round, clean.wall, clean.cpu, rm.wall, rm.cpu, ratios.back(), cpuRatios.back());
    std::fflush(stdout);
  }
  fs::remove_all(scratch);
  std::printf("median ratio clean/rm: %.3f (cpu %.3f)\n", Median(ratios), Median(cpuRatios));
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    Usage();
    return 2;
  }
  try {
    return Run(*options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fegolin_clean_bench: %s\n", e.what());
    return 1;
  }
}
