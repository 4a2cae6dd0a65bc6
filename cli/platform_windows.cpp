#include <windows.h>
// shellapi.h needs the definitions of windows.h.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "cli/platform.h"
#include "host/text.h"

namespace larkspur::cli {

// argv holds the ANSI code page's rendering; the wide command line keeps every character.
std::vector<std::string> CommandLineWords(int, char**) {
  std::vector<std::string> words;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return words;
  for (int i = 1; i < count; ++i)
    words.push_back(ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
  LocalFree(wide);
  return words;
}

std::optional<std::string> EnvironmentVariable(const char16_t* name) {
  const wchar_t* value = _wgetenv(reinterpret_cast<const wchar_t*>(name));
  if (!value) return std::nullopt;
  return ToUtf8(reinterpret_cast<const char16_t*>(value));
}

bool StandardInputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

bool StandardOutputIsTerminal() {
  return _isatty(_fileno(stdout)) != 0;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace larkspur::cli
