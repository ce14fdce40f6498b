// The other process of uCommonCleanWin32Test: opens a file the way a program
// that is using it does, without letting anyone delete it, says "held" on
// stdout, and keeps it open until its stdin closes.
//
//   FileHolderWin32 PATH -> "held" | "failed"

#include <windows.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    return 2;
  }
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::cout << (file == INVALID_HANDLE_VALUE ? "failed" : "held") << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  }
  return 0;
}
