#include <algorithm>
#include <cstdlib>

#include <unistd.h>

#include "cli/platform.h"
#include "host/text.h"

namespace larkspur::cli {

// Arguments and file names are bytes here: they pass through unchanged.
std::vector<std::string> CommandLineWords(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

std::optional<std::string> EnvironmentVariable(const char16_t* name) {
  const char* value = std::getenv(ToUtf8(name).c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

bool StandardOutputIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

void UseBinaryStandardStreams() {}

}  // namespace larkspur::cli
