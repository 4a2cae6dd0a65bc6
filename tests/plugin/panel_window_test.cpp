// The module loaded as the host loads it and its panel driven through real window messages under
// Wine: a thread of the test answers the panel's message boxes while its handler blocks in them.
#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "host/sim/scene_file.h"
#include "hostapp/module_host.h"
#include "hostapp/window_picture.h"
#include "tests/transfer/test_service.h"

namespace larkspur::hostapp {
namespace {

std::wstring W(const Text& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring W(const char* utf8) {
  return W(FromUtf8(utf8 ? utf8 : ""));
}

std::string Utf8(const std::wstring& text) {
  return ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring WindowText(HWND window) {
  wchar_t text[512];
  return std::wstring(text, GetWindowTextW(window, text, 512));
}

void PumpMessages(int milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchHostMessage(message);
    Sleep(10);
  }
}

struct Box {
  bool shown = false;
  std::wstring title, text;
  bool exportEnabled = true, refreshEnabled = false;  // the buttons while the box was up
};

// Clicks a button of the panel and answers the first message box that the panel owns, noting
// what it said and which buttons were live meanwhile.
Box ClickAnswering(HWND panel, int button, WPARAM answer = IDOK) {
  Box box;
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    for (; !done; Sleep(20)) {
      HWND found = nullptr;
      while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr))) {
        if (GetWindow(found, GW_OWNER) != panel) continue;
        wchar_t text[1024];
        box = Box{true, WindowText(found),
                  std::wstring(text, GetDlgItemTextW(found, 0xFFFF, text, 1024)),
                  IsWindowEnabled(GetDlgItem(panel, 1011)) != FALSE,
                  IsWindowEnabled(GetDlgItem(panel, 1006)) != FALSE};
        PostMessageW(found, WM_COMMAND, answer, 0);
        return;
      }
    }
  });
  SendMessageW(GetDlgItem(panel, button), BM_CLICK, 0, 0);
  done = true;
  watcher.join();
  return box;
}

int CountPanels() {
  int count = 0;
  for (HWND panel = nullptr;
       (panel = FindWindowExW(nullptr, panel, L"#32770", L"Larkspur Converter"));) {
    ++count;
  }
  return count;
}

class PanelWindowTest : public ServiceTest {
 protected:
  static void SetUpTestSuite() {
    PrepareHostThread();
    mainWindow_ = CreateMainWindow();
    const char* module = std::getenv("LARKSPUR_MODULE");
    loaded_ = module ? LoadModule(W(module)) : ModuleLoadResult{false, "LARKSPUR_MODULE unset", {}};
  }
  static void TearDownTestSuite() { UnloadModule(loaded_.module); }

  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_TRUE(loaded_.ok) << loaded_.problem;
    sim::SceneLoadResult scene = sim::LoadSceneFile("../scenes/basic.json");
    ASSERT_TRUE(scene.ok) << scene.message;
    scene_ = std::move(scene.host);
    scene_->mainWindow = mainWindow_;
    settingsDir_ = service().ScratchPath("scripts");
    std::filesystem::remove_all(settingsDir_);
    std::filesystem::create_directories(settingsDir_);
    scene_->userScriptsDir = FromUtf8(settingsDir_);
    ASSERT_TRUE(UseServiceUrl(loaded_.module, W(service().httpsUrl)));
    Open();
  }
  void TearDown() override {
    if (utility_) utility_->EndEditParams(scene_.get(), nullptr);
  }

  // Create and BeginEditParams, as the host opens the utility; the panel is the window they made.
  void Open() {
    utility_ = OpenUtility(*FindUtility(loaded_.module), *scene_);
    panel_ = FindWindowW(L"#32770", L"Larkspur Converter");
    ASSERT_TRUE(panel_ && GetWindow(panel_, GW_OWNER) == mainWindow_);
    SetForegroundWindow(panel_);
  }
  std::wstring ControlText(int id) const { return WindowText(GetDlgItem(panel_, id)); }
  void Type(int id, const std::wstring& text) { SetDlgItemTextW(panel_, id, text.c_str()); }
  // The value as the settings file holds it, read from its text rather than through the profile
  // functions, which trim what they read.
  std::string Setting(const std::string& key) const {
    const std::string file =
        ReadBytes(settingsDir_ + "/LarkspurBridge.ini").value_or("").insert(0, "\n");
    const size_t start = file.find("\n" + key + "=");
    if (start == std::string::npos) return "<absent>";
    const size_t value = start + key.size() + 2;
    return file.substr(value, file.find_first_of("\r\n", value) - value);
  }

  static inline HWND mainWindow_ = nullptr;
  static inline ModuleLoadResult loaded_;
  std::unique_ptr<sim::SimHost> scene_;
  std::string settingsDir_;
  host::UtilityObj* utility_ = nullptr;
  HWND panel_ = nullptr;
};

std::string Utf8(const wchar_t* text) {
  return text ? Utf8(std::wstring(text)) : "(null)";
}

TEST_F(PanelWindowTest, ExportsAndClassDescriptor) {
  const LoadedModule& module = loaded_.module;
  EXPECT_EQ(Utf8(module.description()), "Larkspur-C Exporter");
  EXPECT_EQ(module.numberClasses(), 1);
  EXPECT_EQ(module.version(), 0x6D604400u);
  EXPECT_EQ(module.classDesc(1), nullptr);
  EXPECT_EQ(module.classDesc(-1), nullptr);
  host::ClassDesc* desc = module.classDesc(0);
  ASSERT_NE(desc, nullptr);
  EXPECT_TRUE(desc->IsPublic());
  EXPECT_EQ(desc->Create(FALSE), utility_);
  EXPECT_EQ(desc->Create(TRUE), utility_);
  EXPECT_EQ(Utf8(desc->ClassName()), "LarkspurExporter");
  EXPECT_EQ(Utf8(desc->NonLocalizedClassName()), "LarkspurExporter");
  EXPECT_EQ(Utf8(desc->InternalName()), "LarkspurExporter");
  EXPECT_EQ(Utf8(desc->Category()), "Larkspur Tools");
  EXPECT_EQ(desc->SuperClassID(), 0x1020u);
  EXPECT_EQ(desc->ClassID(), host::Class_ID(0x7F3A1C9E, 0x4B2D6E11));
  EXPECT_EQ(reinterpret_cast<HMODULE>(desc->HInstance()), module.handle);
}

// The dialog template as the controls report it: tab order, ids, classes, styles, texts and
// rectangles in dialog units.
TEST_F(PanelWindowTest, ControlsFollowTheTemplate) {
  constexpr LONG kChild = WS_CHILD | WS_VISIBLE;
  struct Row {
    int id;
    const wchar_t* kind;
    LONG style;
    const wchar_t* text;
    RECT box;  // x, y, width, height
  } const rows[] = {
      {1001, L"Static", kChild | SS_BITMAP, L"", {7, 6, 226, 40}},
      {1002, L"Static", kChild | SS_RIGHT | WS_GROUP, L"v2.0", {178, 48, 56, 10}},
      {-1, L"Button", kChild | BS_GROUPBOX, L"API Token", {6, 60, 228, 33}},
      {1003, L"Edit", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, L"", {10, 73, 188, 14}},
      {1004, L"Button", kChild | WS_TABSTOP, L"Save", {202, 72, 28, 15}},
      {-1, L"Button", kChild | BS_GROUPBOX, L"Balance", {6, 96, 228, 28}},
      {1005, L"Static", kChild | WS_GROUP, L"-", {12, 108, 154, 12}},
      {1006, L"Button", kChild | WS_TABSTOP, L"Refresh", {182, 105, 48, 15}},
      {-1, L"Button", kChild | BS_GROUPBOX, L"Exchange Folder", {6, 126, 228, 32}},
      {1007, L"Edit", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, L"", {10, 138, 188, 14}},
      {1008, L"Button", kChild | WS_TABSTOP, L"...", {202, 137, 28, 15}},
      {-1, L"Button", kChild | BS_GROUPBOX, L"Options", {6, 160, 228, 40}},
      {1009,
       L"Button",
       kChild | BS_AUTOCHECKBOX | WS_TABSTOP,
       L"Export Displacement",
       {12, 172, 140, 10}},
      {1010,
       L"Button",
       kChild | BS_AUTOCHECKBOX | WS_TABSTOP,
       L"Reset XForm + Convert to Poly (explodes groups!)",
       {12, 186, 216, 10}},
      {1011, L"Button", kChild | WS_TABSTOP, L"Export && Send", {6, 205, 228, 26}},
      // The progress bar drops the template's WS_BORDER and draws its own frame.
      {1012, L"msctls_progress32", kChild, L"", {6, 236, 228, 12}},
      {1013, L"Static", kChild | WS_GROUP, L"Ready.", {6, 252, 228, 10}},
      {1014, L"Static", kChild | WS_GROUP, L"", {6, 265, 228, 10}},
      {1015,
       L"Static",
       kChild | SS_CENTER | SS_NOTIFY | WS_GROUP,
       L"api.larkspur.example",
       {6, 285, 228, 10}},
  };
  wchar_t kind[64];
  GetClassNameW(panel_, kind, 64);
  EXPECT_STREQ(kind, L"#32770");
  EXPECT_EQ(WindowText(panel_), L"Larkspur Converter");
  // Every dialog gets DS_3DLOOK, every captioned top-level window WS_CLIPSIBLINGS.
  EXPECT_EQ(
      static_cast<DWORD>(GetWindowLongW(panel_, GWL_STYLE)) & ~(DS_3DLOOK | WS_CLIPSIBLINGS),
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS | WS_VISIBLE);
  RECT size{0, 0, 241, 300}, client;
  MapDialogRect(panel_, &size);
  GetClientRect(panel_, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  HWND next = GetWindow(panel_, GW_CHILD);
  for (const Row& row : rows) {
    const HWND control = next;
    ASSERT_NE(control, nullptr) << "missing control " << row.id;
    next = GetWindow(control, GW_HWNDNEXT);
    SCOPED_TRACE(Utf8(row.text) + " " + std::to_string(row.id));
    GetClassNameW(control, kind, 64);
    EXPECT_EQ(lstrcmpiW(kind, row.kind), 0) << Utf8(kind);
    EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(control)), row.id);
    // A border in the template becomes a sunken edge when the control is made.
    const bool edge = GetWindowLongW(control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) | (edge ? WS_BORDER : 0), row.style);
    EXPECT_EQ(WindowText(control), row.text);
    RECT box = row.box, actual;
    MapDialogRect(panel_, &box);  // right and bottom hold the size
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, box.left);
    EXPECT_EQ(actual.top, box.top);
    if (row.id == 1001) continue;  // the picture takes its bitmap's size (LogoFollowsTheDpi)
    EXPECT_EQ(actual.right - actual.left, box.right);
    EXPECT_EQ(actual.bottom - actual.top, box.bottom);
  }
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(SendDlgItemMessageW(panel_, 1012, PBM_GETRANGE, FALSE, 0), 100);
}

// Run once at Wine's default DPI and once at 144 (LARKSPUR_EXPECT_DPI tells which).
TEST_F(PanelWindowTest, LogoFollowsTheDpi) {
  const UINT dpi = GetDpiForWindow(panel_);
  if (const char* expected = std::getenv("LARKSPUR_EXPECT_DPI")) {
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected)));
  }
  const SIZE logo = dpi < 144 ? SIZE{320, 60} : SIZE{640, 120};
  auto bitmap =
      reinterpret_cast<HBITMAP>(SendDlgItemMessageW(panel_, 1001, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, logo.cx);
  EXPECT_EQ(info.bmHeight, logo.cy);
  RECT control;
  GetClientRect(GetDlgItem(panel_, 1001), &control);
  EXPECT_EQ(control.right, logo.cx);
  EXPECT_EQ(control.bottom, logo.cy);
}

TEST_F(PanelWindowTest, SaveStoresTheTrimmedToken) {
  struct Row {
    std::wstring typed;
    std::string stored;
    std::wstring said;
  } const rows[] = {
      {L"  panel-token\t", "panel-token", L"Token saved."},
      {L"   ", "", L"Token is empty \u2014 enter a token from localhost/dashboard"},
  };
  for (const Row& row : rows) {
    Type(1003, row.typed);
    const Box box = ClickAnswering(panel_, 1004);
    EXPECT_EQ(box.title, L"Larkspur Exporter");
    EXPECT_EQ(box.text, row.said);
    EXPECT_EQ(Setting("apiToken"), row.stored);
    EXPECT_EQ(ControlText(1003), row.typed);
  }
}

TEST_F(PanelWindowTest, RefreshShowsTheBalanceOrWhatWentWrong) {
  struct Row {
    std::wstring url, token, label, said;
  } const rows[] = {
      {L"", L"panel-balance-6e2a", L"Balance: 500 credits", L""},
      {L"", L"nobody-0000", L"Invalid token",
       L"Invalid token.\nUpdate your token at localhost/dashboard"},
      {L"https://localhost:1", L"panel-balance-6e2a", L"Error", L"Connection error:\n"},
      {L"", L" ", L"Error", L"Enter an API token."},  // the label keeps its text
  };
  for (const Row& row : rows) {
    if (!row.url.empty()) UseServiceUrl(loaded_.module, row.url);
    Type(1003, row.token);
    const Box box = ClickAnswering(panel_, 1006);
    EXPECT_EQ(ControlText(1005), row.label);
    EXPECT_EQ(box.shown, !row.said.empty()) << Utf8(box.text);
    EXPECT_EQ(box.title, box.shown ? L"Larkspur Exporter" : L"");
    EXPECT_EQ(box.text.substr(0, row.said.size()), row.said);
    UseServiceUrl(loaded_.module, W(service().httpsUrl));
  }
}

TEST_F(PanelWindowTest, FolderAndOptionAreStoredAsTheyChange) {
  SetFocus(GetDlgItem(panel_, 1007));
  Type(1007, L"C:\\Exchange ");  // Wine's profile functions drop leading spaces, we none
  PostMessageW(GetDlgItem(panel_, 1007), WM_KEYDOWN, VK_TAB, 0);
  PumpMessages(200);
  EXPECT_EQ(GetFocus(), GetDlgItem(panel_, 1008));
  EXPECT_EQ(Setting("exchangeFolder"), "C:\\Exchange ");

  for (const char* stored : {"true", "false", "true"}) {
    SendDlgItemMessageW(panel_, 1009, BM_CLICK, 0, 0);
    EXPECT_EQ(Setting("exportDisplacement"), stored);
  }
}

TEST_F(PanelWindowTest, ExportAndSendRunsTheWorkflow) {
  const std::string exchange = service().ScratchPath("exchange");
  std::filesystem::create_directories(exchange);
  Type(1007, W(exchange.c_str()));
  Type(1003, L"panel-send-3c8f");
  const Box sent = ClickAnswering(panel_, 1011);
  EXPECT_FALSE(sent.shown) << Utf8(sent.title) << ": " << Utf8(sent.text);
  EXPECT_EQ(ControlText(1013), L"Done  OK  Objects: 2");
  EXPECT_EQ(ControlText(1005), L"Balance: 500 credits");
  const std::wstring job = ControlText(1014);
  ASSERT_EQ(job.substr(0, 11), L"Job: basic_");
  ASSERT_EQ(job.size(), 19u) << Utf8(job);
  const std::filesystem::path folder = std::filesystem::path(exchange) / job.substr(5);
  EXPECT_TRUE(std::filesystem::exists(folder / "basic.fbx"));
  EXPECT_FALSE(std::filesystem::exists(folder / "1.json"));
  EXPECT_TRUE(std::filesystem::exists(service().JobFile(Utf8(job.substr(5)))));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel_, 1011)));

  PumpMessages(300);
  if (const char* picture = std::getenv("LARKSPUR_PANEL_PICTURE")) {
    EXPECT_TRUE(SaveWindowPicture(panel_, W(picture)));
  }

  Type(1003, L"panel-poor-7d1b");
  const Box refused = ClickAnswering(panel_, 1011);
  EXPECT_EQ(refused.title, L"Larkspur-C \u2014 Balance");
  EXPECT_EQ(refused.text, L"Insufficient credits.\nTop up your balance at localhost/dashboard");
  EXPECT_FALSE(refused.exportEnabled);
  EXPECT_TRUE(refused.refreshEnabled);
  EXPECT_EQ(ControlText(1013), L"Insufficient balance.");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel_, 1011)));
}

TEST_F(PanelWindowTest, OnePanelAtATimeAndAFreshOneAfterClosing) {
  const HWND first = panel_;
  const auto logo =
      reinterpret_cast<HBITMAP>(SendDlgItemMessageW(panel_, 1001, STM_GETIMAGE, IMAGE_BITMAP, 0));
  Open();
  EXPECT_EQ(panel_, first);
  EXPECT_EQ(CountPanels(), 1);

  SendMessageW(panel_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(first));
  WritePrivateProfileStringW(L"Settings", L"apiToken", L"written-meanwhile",
                             (W(settingsDir_.c_str()) + L"\\LarkspurBridge.ini").c_str());
  Open();
  EXPECT_NE(panel_, first);
  EXPECT_EQ(ControlText(1003), L"written-meanwhile");
  EXPECT_EQ(GetObjectType(logo), 0u);  // the earlier logo bitmap was deleted
}

}  // namespace
}  // namespace larkspur::hostapp
