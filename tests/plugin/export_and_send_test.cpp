// Export and Send on the bundled example, over the simulated host and the stand-in service,
// through a view that records every call as one line: one row per outcome, the full run first.
#include "plugin/export_and_send.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "host/file_path.h"
#include "host/sim/scene_file.h"
#include "plugin/job_name.h"
#include "tests/transfer/test_service.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;

std::vector<Text> MaterialNames(const sim::SimHost& host) {
  std::vector<Text> names;
  for (const sim::SimAnim* anim : host.Anims()) {
    if (anim->superClass == host::super_class::kMaterial) names.push_back(anim->name);
  }
  return names;
}

// "40 Collecting textures..." for a position and its status; "box ICON TITLE: TEXT" (icon "-"
// none, "E" error, "W?" warning with Yes and No); "renamed" where a box or a drain finds material
// names changed. The run's folder reads X, error numbers #.
class RecordingView : public PanelView {
 public:
  Text token = u"workflow-poor-3c8e", folder, root;
  std::optional<MessageAnswer> confirm;  // the Reset XForm box is checked, and the answer
  std::string calls;
  std::optional<std::string> sentPackage;  // 1.json as it stood while the job was being sent
  const sim::SimHost* host = nullptr;
  std::vector<Text> names;

  Text TokenText() const override { return token; }
  Text ExchangeFolderText() const override { return folder; }
  bool ResetXformChecked() const override { return confirm.has_value(); }
  void SetBalanceLabel(const Text& text) override { Add("balance " + ToUtf8(text)); }
  void SetProgressPosition(int percent) override { calls += std::to_string(percent) + " "; }
  void SetStatusText(const Text& text) override { Add(ToUtf8(text)); }
  void SetJobLabel(const Text& text) override { Add("job " + ToUtf8(text)); }
  void SetExportButtonEnabled(bool enabled) override { Add(enabled ? "enable" : "disable"); }
  MessageAnswer ShowMessageBox(const Text& text, const Text& title, MessageIcon icon,
                               MessageButtons buttons) override {
    NoteRenamed();
    const char* marks[] = {"- ", "E ", "W? "};
    Add("box " + std::string(marks[static_cast<int>(icon)]) + ToUtf8(title + u": " + text));
    return buttons == MessageButtons::kYesNo ? *confirm : MessageAnswer::kOk;
  }
  void DrainPendingInput() override {
    NoteRenamed();
    if (calls.find("Sending to server...") == std::string::npos || sentPackage) return;
    for (const fs::directory_entry& job : fs::directory_iterator(NativePath(root))) {
      sentPackage = ReadBytes((job.path() / "1.json").string());
    }
  }

 private:
  void NoteRenamed() {
    if (MaterialNames(*host) != names) calls += "renamed\n";
  }
  void Add(std::string line) {
    line = std::regex_replace(line, std::regex("GetLastError=\\d+"), "GetLastError=#");
    if (size_t at = line.find(ToUtf8(root)); at != std::string::npos)
      line.replace(at, ToUtf8(root).size(), "X");
    calls += line + "\n";
  }
};

// A geometry node whose name cannot be read, and a material whose renaming the host refuses.
struct ThrowingNode : sim::SimNode {
  Text GetName() const override { throw std::bad_alloc(); }
};
struct UnrenamableMaterial : sim::SimAnim {
  explicit UnrenamableMaterial(sim::SimHost& host) : SimAnim(host) {
    superClass = host::super_class::kMaterial;
    name = u"Bad name";
  }
  void SetName(const Text&) override { throw std::runtime_error("name refused"); }
};

std::string Listing(const Text& folder) {
  std::set<std::string> entries;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(NativePath(folder))) {
    entries.insert(e.path().lexically_relative(NativePath(folder)).generic_u8string());
  }
  std::string listing;
  for (const std::string& entry : entries) listing += entry + " ";
  return listing;
}

const std::string kJob = "Living_Room_2vpvaaaa";  // tick 1000000
const std::string kOpen = "disable\njob \n";
const std::string kConfirm =
    "box W? Reset XForm: WARNING!\n\nThe following will be performed:\n  \u2022 Explode all "
    "groups\n  \u2022 Reset XForm\n  \u2022 Convert to Editable Poly\n\nThese operations will "
    "modify the scene and cannot be undone.\nDo not save the scene after export!\n\nContinue?\n";
const std::string kDeduplicating =
    "8 Preparing job folder...\n12 Baking MultiTexture vertex colors...\n14 Deduplicating "
    "material names...\n";
const std::string kSteps = kDeduplicating + "20 Exporting FBX...\nrenamed\n";
const std::string kPackaging =
    "40 Collecting textures...\nrenamed\n55 Textures: 3\nrenamed\n65 Building Package...\n"
    "renamed\n";
const std::string kSending =
    kPackaging + "78 Package ready. Objects: 10\n88 Sending to server...\n";
const std::string kPoor = "balance Balance: 5 credits\n";
const std::string kNoBox = "box - Larkspur Exporter: ";
const std::string kRejected =
    "FBX export failed (FBX exporter not available or export was rejected \u2014 is the FBX "
    "plugin installed in 3ds Max?)";

std::string Error(const std::string& text) {
  return "100 Error.\njob \nbox E Larkspur Exporter \u2014 Error: " + text + "\nenable\n";
}
std::string Done(const std::string& balance) {
  return "balance Balance: " + balance + " credits\n" + kOpen + kSteps + kSending +
         "100 Done  OK  Objects: 10\njob Job: " + kJob + "\nenable\n";
}
std::string Unavailable(const std::string& text) {
  return kPoor + kOpen + kSteps + kSending +
         "100 Server unavailable.\nbox - Larkspur-C \u2014 Server Unavailable: Failed to send to "
         "server:\n" +
         text + "\nenable\n";
}

using ExportAndSendTest = ServiceTest;

TEST_F(ExportAndSendTest, EveryOutcomeEndsCleanly) {
  const std::string sep = ToUtf8(Text(1, fs::path::preferred_separator)), in = " " + kJob + "/";
  const std::string unreachable =
      "Cannot connect to server:\nHTTP request failed, GetLastError=#\n";
  const std::pair<std::string, std::string> cases[] = {
      {"token  workflow-6d2a\t", Done("1000")},
      {"token  \t", kNoBox + "Invalid token.\nEnter your token from localhost/dashboard\n"},
      {"token nobody", kNoBox + "Invalid token.\nUpdate your token at localhost/dashboard\n"},
      {"fault drop", kNoBox + unreachable},
      {"fault slow", kNoBox + unreachable},
      // Garbage that carries a balance passes the check; garbage after a submission is an answer.
      {"fault bad-utf8", Done("11")},
      {"blank folder", kPoor + kNoBox + "Select an Exchange Folder.\n"},
      {"missing folder", kPoor + kNoBox + "Folder does not exist:\nX/missing\n"},
      {"folder is a file", kPoor + kOpen + kSteps + Error(kRejected)},
      {"read-only folder", kPoor + kOpen + kSteps + Error(kRejected)},
      {"decline", kPoor + kOpen + kConfirm + "enable\n0 Ready.\n"},
      {"confirm", kPoor + kOpen + kConfirm + kSteps + kSending +
                      "100 Insufficient balance.\nbox - Larkspur-C \u2014 Balance: Insufficient "
                      "credits.\nTop up your balance at localhost/dashboard\nenable\n"},
      {"fbx fails", kPoor + kOpen + kSteps + Error(kRejected)},
      {"fbx writes nothing",
       kPoor + kOpen + kSteps +
           Error("FBX was not created:\nX" + sep + sep + kJob + sep +
                 "Living_Room.fbx\n\nPossible reasons:\n\u2022 Exchange Folder is not accessible "
                 "from Windows\n\u2022 No write permissions\n\u2022 FBX export settings prohibit "
                 "export")},
      {"package blocked",
       kPoor + kOpen + kSteps + kPackaging + Error("Package export returned failure.")},
      {"fault submit-drop", Unavailable("HTTP request failed, GetLastError=#")},
      {"fault submit-slow", Unavailable("HTTP request failed, GetLastError=#")},
      {"fault submit-error", Unavailable("{\"error\": \"internal error\"}")},
      {"unrenamable", kPoor + kOpen + kDeduplicating + Error("Export stopped: name refused")},
      {"nameless node",
       kPoor + kOpen + kSteps + kPackaging + Error("Export stopped: std::bad_alloc")},
  };
  const std::map<std::string, std::string> listings = {
      {"token  workflow-6d2a\t", kJob + in + "1.log" + in + "Living_Room.fbx" + in + "textures" +
                                     in + "textures/oak_planks.jpg" + in +
                                     "textures/rug_normal.png" + in + "textures/rug_wool.png "},
      {"decline", ""},
      {"fbx fails", kJob + in + "textures "},
  };
  int row = 0;
  for (const auto& [setup, calls] : cases) {
    SCOPED_TRACE(setup);
    const auto host = sim::LoadSceneFile("../../examples/living-room.scene.json").host;
    RecordingView view;
    view.host = host.get();
    view.names = MaterialNames(*host);
    view.root = view.folder = FromUtf8(Service().ScratchPath("row" + std::to_string(row++)));
    fs::create_directories(NativePath(view.root));
    const std::string word = setup.substr(setup.find(' ') + 1);
    if (setup.rfind("token ", 0) == 0) view.token = FromUtf8(word);
    if (setup == "decline" || setup == "confirm") view.confirm = MessageAnswer::kNo;
    if (setup == "confirm") view.confirm = MessageAnswer::kYes;
    if (setup == "blank folder") view.folder.clear();
    if (setup == "missing folder") view.folder += u"/missing";
    if (setup == "folder is a file") std::ofstream(NativePath(view.folder += u"/file")) << "x";
    if (setup == "fbx writes nothing") view.folder += Text(1, fs::path::preferred_separator);
    if (setup == "package blocked") fs::create_directories(NativePath(view.root) / kJob / "1.json");
    if (setup == "read-only folder") {
      fs::permissions(NativePath(view.folder), fs::perms::owner_read | fs::perms::owner_exec);
      if (std::ofstream(NativePath(view.folder) / "probe"))
        continue;  // this user writes all the same
    }
    if (setup == "fbx fails") host->fbxExport = sim::FbxExportMode::kFails;
    if (setup == "fbx writes nothing") host->fbxExport = sim::FbxExportMode::kNoFile;
    UnrenamableMaterial unrenamable(*host);  // on a node after all others: renamed last
    if (setup == "unrenamable" || setup == "nameless node") {
      auto& node = host->Root().children.emplace_back(setup == "unrenamable"
                                                          ? std::make_unique<sim::SimNode>()
                                                          : std::make_unique<ThrowingNode>());
      node->object = host->FindAnim("floor_mesh");
      node->material = setup == "unrenamable" ? &unrenamable : host->FindAnim("oak");
    }

    HttpOptions http = Service().options;
    http.receiveTimeoutMs = 1500;  // the stand-in's slow answers take 3 s
    const bool fault = setup.rfind("fault ", 0) == 0;
    const Text base = fault ? Service().FaultUrl(FromUtf8(word).c_str()) : Service().httpsUrl;
    ExportAndSend(view, WorkflowContext{*host, base, http, [] { return 1000000; }});

    EXPECT_EQ(view.calls, calls);
    // Every outcome shows its messages and leaves the names back, the button enabled, no package.
    if (setup == "unrenamable") host->Root().children.back()->material = nullptr;  // dies first
    EXPECT_EQ(MaterialNames(*host), view.names);
    EXPECT_FALSE(fs::is_regular_file(NativePath(view.root) / kJob / "1.json"));
    bool flattened = false;
    for (const Text& script : host->scripts)
      flattened |= script.find(u"convertToPoly") != Text::npos;
    EXPECT_EQ(flattened, setup == "confirm");
    if (listings.count(setup)) {
      EXPECT_EQ(Listing(view.root), listings.at(setup));
    }
    if (setup == "token  workflow-6d2a\t") {  // the service keeps the bytes sent, by job name
      EXPECT_EQ(ReadBytes(Service().JobFile(kJob)), view.sentPackage);
      EXPECT_NE(view.sentPackage.value_or("").find("\"name\": \"Wall_Paint_02\""),
                std::string::npos);
    }
  }
}

TEST(JobName, IsTheSceneFilesBaseNameAndEightBase36DigitsOfTheTickCount) {
  const std::tuple<Text, uint64_t, Text> cases[] = {
      {u"/home/u/Caf\u00e9-Scene.final.max", 36, u"Caf__Scene_final_abaaaaaa"},
      {u"", 123456789012, u"untitled_mcq90zub"},
      {u"D:\\scenes/.max", 35, u"untitled_9aaaaaaa"},
  };
  sim::SimHost host;
  for (const auto& [file, tick, name] : cases) {
    host.fileName = file;
    EXPECT_EQ(MakeJobFolderName(host, tick), name);
  }
}

}  // namespace
}  // namespace larkspur
