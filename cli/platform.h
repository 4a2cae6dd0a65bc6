// What the command line needs from the platform.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace larkspur::cli {

// The process's arguments after the program name, as UTF-8 words.
std::vector<std::string> CommandLineWords(int argc, char** argv);

// The value of the environment variable name, as UTF-8; nothing when it is not set.
std::optional<std::string> EnvironmentVariable(const char16_t* name);

// Whether standard input and standard output are terminals.
bool StandardInputIsTerminal();
bool StandardOutputIsTerminal();

// Standard output and error carry bytes as written: no line-end translation.
void UseBinaryStandardStreams();

}  // namespace larkspur::cli
