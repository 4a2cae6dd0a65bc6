#include <windows.h>
// shellapi.h needs the definitions of windows.h.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "cli/platform.h"

namespace larkspur::cli {

// argv holds the ANSI code page's rendering; the wide command line keeps every character.
Args CommandLineArgs(int, char**) {
  Args args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(reinterpret_cast<const char16_t*>(wide[i]));
  LocalFree(wide);
  return args;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace larkspur::cli
