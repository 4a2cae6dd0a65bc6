// What the command line needs from the platform.
#pragma once

#include "cli/command.h"

namespace larkspur::cli {

// The process's arguments after the program name, as UTF-16 text.
Args CommandLineArgs(int argc, char** argv);

// Standard output and error carry bytes as written: no line-end translation.
void UseBinaryStandardStreams();

}  // namespace larkspur::cli
