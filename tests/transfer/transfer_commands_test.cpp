#include "cli/transfer_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/transfer/test_service.h"
#include "transfer/service_url.h"

namespace larkspur {
namespace {

struct CommandRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

using Command = int (*)(const std::vector<std::string>&, const CommandContext&);

CommandRun RunCommand(Command command, std::vector<std::string> args,
                      const std::optional<std::string>& token) {
  std::ostringstream out;
  std::ostringstream err;
  CommandRun run;
  run.exitCode = command(args, CommandContext{token, out, err});
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The options that reach the test service: its URL and, where the transport takes it, its CA.
std::vector<std::string> ServiceArgs(const Text& baseUrl) {
  std::vector<std::string> args{"--service-url", ToUtf8(baseUrl)};
  if (HttpTransportTakesCaFile()) args.push_back("--ca-file=" + ToUtf8(Service().options.caFile));
  return args;
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST(TransferCommands, RejectsWrongUsageWithExitCodeTwo) {
  struct Case {
    Command command;
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {RunBalanceCommand, {"--bogus"}, "unknown option --bogus"},
      {RunBalanceCommand, {"extra"}, "unexpected argument extra"},
      {RunBalanceCommand, {"--service-url"}, "--service-url needs a value"},
      {RunBalanceCommand, {"--service-url", "localhost"}, "--service-url needs a URL"},
      {RunBalanceCommand, {"--ca-file", "no/such/ca.pem"}, "--ca-file"},
      {RunSubmitCommand, {"--job-name", "j"}, "name one scene package file"},
      {RunSubmitCommand, {"a.json", "b.json", "--job-name", "j"}, "name one scene package file"},
      {RunSubmitCommand, {"a.json"}, "--job-name NAME is required"},
      {RunSubmitCommand, {"a.json", "--job-name="}, "--job-name NAME is required"},
  };
  for (const Case& c : cases) {
    const CommandRun run = RunCommand(c.command, c.args, std::string("t"));
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: larkspur"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(TransferCommands, HelpGoesToStandardOutput) {
  const CommandRun balance = RunCommand(RunBalanceCommand, {"--help"}, std::nullopt);
  EXPECT_EQ(balance.exitCode, 0);
  EXPECT_EQ(balance.out, kBalanceCommandHelp);
  const CommandRun submit = RunCommand(RunSubmitCommand, {"x.json", "-h"}, std::nullopt);
  EXPECT_EQ(submit.exitCode, 0);
  EXPECT_EQ(submit.out, kSubmitCommandHelp);
}

TEST(TransferCommands, AsksForTheTokenWithoutTouchingTheNetwork) {
  const std::string dashboard = ToUtf8(ServiceHostName()) + "/dashboard";
  for (const std::optional<std::string>& token : {std::optional<std::string>(), {" \t"}}) {
    const CommandRun balance = RunCommand(RunBalanceCommand, {}, token);
    EXPECT_EQ(balance.exitCode, 2);
    EXPECT_EQ(balance.err.rfind("Enter an API token.\n", 0), 0u) << balance.err;
    const CommandRun submit = RunCommand(RunSubmitCommand, {"1.json", "--job-name", "j"}, token);
    EXPECT_EQ(submit.exitCode, 2);
    EXPECT_EQ(submit.err.rfind("Invalid token.\nEnter your token from " + dashboard + "\n", 0), 0u)
        << submit.err;
  }
}

class TransferCommandsTest : public ServiceTest {};

TEST_F(TransferCommandsTest, BalanceShowsWhatThePanelShows) {
  struct Case {
    Text baseUrl;
    std::string token;
    int exitCode;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {service().httpsUrl, " cli-3a6f\n", 0, "Balance: 120 credits\n", ""},
      {service().httpsUrl, "cli-poor-9b2d", 0, "Balance: 0 credits\n", ""},
      {service().httpsUrl, "unknown", 1, "",
       "Invalid token.\nUpdate your token at localhost/dashboard\n"},
      {service().FaultUrl(u"drop"), "cli-3a6f", 1, "",
       "Connection error:\nHTTP request failed, GetLastError="},
  };
  for (const Case& c : cases) {
    const CommandRun run = RunCommand(RunBalanceCommand, ServiceArgs(c.baseUrl), c.token);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err);
  }
}

TEST_F(TransferCommandsTest, SubmitShowsWhatTheWorkflowShows) {
  const std::string package = service().ScratchPath("1.json");
  ASSERT_TRUE(WriteBytes(package, "{\"objects\": []}\n"));
  struct Case {
    Text baseUrl;
    std::string package;
    std::string token;
    int exitCode;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {service().httpsUrl, package, "cli-3a6f", 0, "Job: cli_job\n", ""},
      {service().httpsUrl, package, "cli-poor-9b2d", 1, "",
       "Insufficient credits.\nTop up your balance at localhost/dashboard\n"},
      {service().FaultUrl(u"error"), package, "cli-3a6f", 1, "",
       "Failed to send to server:\n{\"error\": \"internal error\"}\n"},
      {service().httpsUrl, package + ".missing", "cli-3a6f", 1, "",
       "Failed to send to server:\nCannot read JSON file: " + package + ".missing\n"},
  };
  for (const Case& c : cases) {
    const CommandRun run =
        RunCommand(RunSubmitCommand,
                   Joined({c.package, "--job-name", "cli_job"}, ServiceArgs(c.baseUrl)), c.token);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(ReadBytes(service().JobFile("cli_job")), "{\"objects\": []}\n");
  EXPECT_TRUE(ReadBytes(package).has_value()) << "the package stays where it was";
}

}  // namespace
}  // namespace larkspur
