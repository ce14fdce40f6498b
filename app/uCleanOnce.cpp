#include "app/uCleanOnce.h"

#include "common/uRegText.h"
#include "settings/uCleanSettings.h"
#include "settings/uStoredList.h"

#include <cstdio>
#include <cstring>
#include <ostream>

namespace fegolin {
namespace {

// The path of an entry below `folder` as the user wrote the folder.
std::string EntryPath(const std::string& folder, std::string_view below) {
  return NormalizeDirPath(folder) + std::string(below);
}

class Reporter final : public CleanObserver {
public:
  Reporter(const std::string& folder, bool preview, std::ostream& out, std::ostream& err)
      : folder_(folder), preview_(preview), out_(out), err_(err) {}

  [[nodiscard]] bool WantsDetails() const override { return preview_; }

  void Entry(const CleanEvent& event) override {
    out_ << (event.reason == CleanReason::None ? "remove\t" : "keep\t")
         << PrintableText(EntryPath(folder_, event.path));
    if (event.reason != CleanReason::None) {
      out_ << '\t' << CleanReasonText(event.reason);
    }
    out_ << '\n';
  }

  void EntryFailed(const CleanEvent& event) override {
    if (preview_) {
      return;
    }
    err_ << "fegolin: " << PrintableText(EntryPath(folder_, event.path))
         << ": not removed: " << std::strerror(event.error) << '\n';
  }

private:
  const std::string& folder_;
  bool preview_;
  std::ostream& out_;
  std::ostream& err_;
};

} // namespace

std::string SizeText(std::uint64_t bytes) {
  if (bytes < 1000) {
    return std::to_string(bytes) + " B";
  }
  constexpr const char* kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1000.0;
  std::size_t unit = 0;
  while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

int CleanStoredFoldersOnce(std::ostream& out, std::ostream& err, CleanMode mode) {
  TcStoredDirectoryList list;
  ReadStoredDirectoryList(list);
  const CleanRules rules = ReadCleanRules().Rules();
  const bool preview = mode == CleanMode::Preview;
  int code = 0;
  for (const std::string& folder : FoldersToClean(list)) {
    Reporter reporter(folder, preview, out, err);
    const CleanSummary summary = CleanFolder(folder, rules, mode, &reporter);
    if (!summary.target.ok()) {
      err << "fegolin: " << PrintableText(folder)
          << ": not cleaned: " << platform::TargetRefusalText(summary.target.refusal);
      if (summary.target.error != 0) {
        err << " (" << std::strerror(summary.target.error) << ')';
      }
      err << '\n';
      code = 2;
      continue;
    }
    out << PrintableText(folder) << ": " << summary.removed
        << (preview ? " to remove, " : " removed, ") << summary.kept << " kept, " << summary.failed
        << (preview ? " failing, " : " failed, ") << SizeText(summary.bytes)
        << (preview ? "" : " freed") << (summary.complete ? "" : ", not read to the end") << '\n';
    out.flush();
  }
  return code;
}

} // namespace fegolin
