// larkspur: the system's steps on the simulated host, from a terminal.
#include <cstdio>
#include <exception>

#include "cli/command.h"
#include "cli/platform.h"
#include "cli/transfer_commands.h"

namespace larkspur::cli {
namespace {

struct Command {
  const char16_t* name;
  const char16_t* summary;
  int (*run)(const Args& args);
};

// The transfer commands take their words as UTF-8.
std::vector<std::string> Utf8Words(const Args& args) {
  std::vector<std::string> words;
  for (const Text& a : args) words.push_back(ToUtf8(a));
  return words;
}
int RunBalance(const Args& args) {
  return RunBalanceCommand(Utf8Words(args));
}
int RunSubmit(const Args& args) {
  return RunSubmitCommand(Utf8Words(args));
}

const Command kCommands[] = {
    {u"package", u"build the scene package of a scene file", RunPackageCommand},
    {u"balance", u"check the API token and show the account's balance", RunBalance},
    {u"submit", u"send a scene package to the service as a job", RunSubmit},
};

constexpr char16_t kUsage[] =
    u"usage: larkspur COMMAND [ARGS...]\n"
    u"\n"
    u"Runs the exporter's steps on a scene loaded into the simulated host.\n"
    u"\n"
    u"commands:\n";

int Main(const Args& args) {
  if (args.empty() || args[0] == u"--help" || args[0] == u"-h" || args[0] == u"help") {
    Text text = kUsage;
    for (const Command& c : kCommands) {
      Text name = c.name;
      name.resize(10, u' ');
      text += u"  " + name + c.summary + u"\n";
    }
    text += u"\n'larkspur COMMAND --help' explains one command.\n";
    (args.empty() ? PrintError : Print)(text);
    return args.empty() ? kExitUsage : kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  PrintError(u"larkspur: unknown command '" + args[0] + u"' (see 'larkspur --help')\n");
  return kExitUsage;
}

}  // namespace

void Print(std::u16string_view text) {
  const std::string bytes = ToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void PrintError(std::u16string_view text) {
  const std::string bytes = ToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

}  // namespace larkspur::cli

int main(int argc, char** argv) {
  try {
    larkspur::cli::UseBinaryStandardStreams();
    return larkspur::cli::Main(larkspur::cli::CommandLineArgs(argc, argv));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "larkspur: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "larkspur: unexpected failure\n");
  }
  return larkspur::cli::kExitFailed;
}
