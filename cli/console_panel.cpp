#include "cli/console_panel.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace larkspur::cli {
namespace {

constexpr int kBarCells = 20;

std::string Percent(int percent) {
  std::string text = std::to_string(percent) + "%";
  return std::string(text.size() < 4 ? 4 - text.size() : 0, ' ') + text;
}

std::string Bar(int percent) {
  const int filled = std::clamp(percent, 0, 100) * kBarCells / 100;
  return "[" + std::string(filled, '#') + std::string(kBarCells - filled, '.') + "]";
}

bool IsYes(std::string answer) {
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  answer.erase(0, answer.find_first_not_of(" \t\r\n"));
  answer.erase(answer.find_last_not_of(" \t\r\n") + 1);
  return answer == "y" || answer == "yes";
}

}  // namespace

ConsolePanel::ConsolePanel(const Console& console, ConsoleFields fields)
    : console_(console), fields_(std::move(fields)) {}

Text ConsolePanel::TokenText() const {
  return fields_.token.substr(0, kMaxFieldChars);
}

Text ConsolePanel::ExchangeFolderText() const {
  return fields_.exchangeFolder.substr(0, kMaxFieldChars);
}

void ConsolePanel::SetBalanceLabel(const Text& text) {
  EndBar();
  console_.out << ToUtf8(text) << "\n";
}

// Every status follows its position (SetProgress, ShowExportError), so the status draws both.
void ConsolePanel::SetStatusText(const Text& text) {
  status_ = text;
  if (!console_.outTerminal) {
    console_.out << Percent(percent_) << "  " << ToUtf8(text) << "\n";
    return;
  }
  const std::string line = Bar(percent_) + " " + Percent(percent_) + "  " + ToUtf8(text);
  // The earlier line may be longer: spaces cover its rest.
  console_.out << "\r" << line
               << std::string(barWidth_ > line.size() ? barWidth_ - line.size() : 0, ' ');
  barWidth_ = line.size();
}

void ConsolePanel::SetJobLabel(const Text& text) {
  if (text.empty()) return;  // cleared at the start of a run: nothing to show
  EndBar();
  console_.out << ToUtf8(text) << "\n";
}

MessageAnswer ConsolePanel::ShowMessageBox(const Text& text, const Text& title, MessageIcon,
                                           MessageButtons buttons) {
  EndBar();
  console_.out.flush();
  console_.err << "[" << ToUtf8(title) << "] " << ToUtf8(text) << "\n";
  return buttons == MessageButtons::kYesNo ? Confirm() : MessageAnswer::kOk;
}

void ConsolePanel::DrainPendingInput() {
  console_.out.flush();
}

bool ConsolePanel::Finish() {
  EndBar();
  console_.out.flush();
  return status_.rfind(u"Done  OK", 0) == 0;
}

void ConsolePanel::EndBar() {
  if (barWidth_ == 0) return;
  console_.out << "\n";
  barWidth_ = 0;
}

MessageAnswer ConsolePanel::Confirm() {
  console_.err << "Continue? [y/N] ";
  if (fields_.yes) {
    console_.err << "yes (--yes)\n";
    return MessageAnswer::kYes;
  }
  if (!console_.inTerminal) {
    console_.err << "no (no terminal to answer; --yes answers yes)\n";
    return MessageAnswer::kNo;
  }
  console_.err.flush();
  std::string answer;
  std::getline(console_.in, answer);
  return IsYes(answer) ? MessageAnswer::kYes : MessageAnswer::kNo;
}

}  // namespace larkspur::cli
