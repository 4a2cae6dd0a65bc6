#include "cli/platform.h"

namespace larkspur::cli {

Args CommandLineArgs(int argc, char** argv) {
  Args args;
  for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
  return args;
}

void UseBinaryStandardStreams() {}

}  // namespace larkspur::cli
