// larkspur: the system's steps on the simulated host, from a terminal.
#include <cstdio>
#include <exception>
#include <iostream>

#include "cli/command.h"
#include "cli/platform.h"

int main(int argc, char** argv) {
  using namespace larkspur::cli;
  try {
    UseBinaryStandardStreams();
    const Console console{std::cin,
                          std::cout,
                          std::cerr,
                          EnvironmentVariable(u"LARKSPUR_TOKEN"),
                          StandardInputIsTerminal(),
                          StandardOutputIsTerminal()};
    return RunCommandLine(CommandLineWords(argc, argv), console);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "larkspur: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "larkspur: unexpected failure\n");
  }
  return kExitFailed;
}
