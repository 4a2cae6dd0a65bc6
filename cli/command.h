// The commands of the larkspur command line. Arguments arrive as UTF-16 text on every platform.
#pragma once

#include <vector>

#include "host/text.h"

namespace larkspur::cli {

using Args = std::vector<Text>;

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunPackageCommand(const Args& args);

// Writes UTF-8 to standard output or standard error.
void Print(std::u16string_view text);
void PrintError(std::u16string_view text);

}  // namespace larkspur::cli
