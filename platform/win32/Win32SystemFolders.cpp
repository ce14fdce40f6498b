// System folders and display names on Windows: GetWindowsDirectoryA,
// GetTempPathA and the shell's SHGetFileInfoA.

#include "platform/SystemFolders.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <vector>

namespace fegolin::platform {
namespace {

// The system writes at most this many characters of a folder path.
constexpr UINT kPathBufferChars = 2000;

// The text in `buffer` up to its first NUL.
std::string UpToNul(const char* buffer, std::size_t size) {
  std::size_t length = 0;
  while (length < size && buffer[length] != '\0') {
    ++length;
  }
  return std::string(buffer, length);
}

// Keeps COM initialised on this thread for the shell call, as the shell
// asks; a thread that already has it (in whatever mode) keeps it as it is.
class ComScope {
public:
  ComScope()
      : initialised_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComScope() {
    if (initialised_) {
      CoUninitialize();
    }
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

private:
  bool initialised_;
};

} // namespace

SystemTempLocation GetSystemTempLocation() {
  std::vector<char> buffer(kPathBufferChars, '\0');
  const UINT length = GetWindowsDirectoryA(buffer.data(), kPathBufferChars);
  if (length == 0 || length >= kPathBufferChars) {
    return {};
  }
  return {UpToNul(buffer.data(), buffer.size()), "Temp"};
}

std::string GetUserTempPath() {
  std::vector<char> buffer(kPathBufferChars, '\0');
  const DWORD length = GetTempPathA(kPathBufferChars, buffer.data());
  if (length == 0 || length >= kPathBufferChars) {
    return {};
  }
  return UpToNul(buffer.data(), buffer.size());
}

std::optional<std::string> GetDisplayName(std::string_view path) {
  if (path.empty()) {
    return std::nullopt;
  }
  const ComScope com;
  SHFILEINFOA info{};
  if (SHGetFileInfoA(std::string(path).c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) {
    return std::nullopt;
  }
  return UpToNul(info.szDisplayName, sizeof info.szDisplayName);
}

} // namespace fegolin::platform
