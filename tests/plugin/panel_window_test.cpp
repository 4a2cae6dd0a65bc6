// The module loaded as the host loads it and its panel driven through real window messages under
// Wine: a thread of the test answers the panel's message boxes while its handler blocks in them.
#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
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

std::wstring W(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::u16string W16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024];
  return std::wstring(text, GetWindowTextW(window, text, 1024));
}

struct Box {
  std::wstring title, text;                           // empty when no box came
  bool exportEnabled = true, refreshEnabled = false;  // the buttons while the box was up
};

// Clicks a button of the panel and answers the first message box that the panel owns.
Box ClickAnswering(HWND panel, int button) {
  Box box;
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    for (HWND found = nullptr; !done; Sleep(20)) {
      while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr))) {
        if (GetWindow(found, GW_OWNER) != panel) continue;
        box = Box{WindowText(found), WindowText(GetDlgItem(found, 0xFFFF)),
                  IsWindowEnabled(GetDlgItem(panel, 1011)) != FALSE,
                  IsWindowEnabled(GetDlgItem(panel, 1006)) != FALSE};
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return;
      }
    }
  });
  SendMessageW(GetDlgItem(panel, button), BM_CLICK, 0, 0);
  done = true;
  watcher.join();
  return box;
}

class PanelWindowTest : public ServiceTest {
 protected:
  static void SetUpTestSuite() {
    PrepareHostThread();
    mainWindow_ = CreateMainWindow();
    const char* module = std::getenv("LARKSPUR_MODULE");
    loaded_ = LoadModule(W(FromUtf8(module ? module : "")));
  }
  static void TearDownTestSuite() { UnloadModule(loaded_.module); }

  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_TRUE(loaded_.ok) << loaded_.problem;
    sim::SceneLoadResult scene = sim::LoadSceneFile("../scenes/basic.json");
    ASSERT_TRUE(scene.ok) << scene.message;
    scene_ = std::move(scene.host);
    scene_->mainWindow = mainWindow_;
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    scene_->userScriptsDir = FromUtf8(scratch_);
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
  // The value as the file holds it: the profile functions would trim what they read.
  std::string Setting(const std::string& key) const {
    const std::string file = "\n" + ReadBytes(scratch_ + "/LarkspurBridge.ini").value_or("");
    const size_t start = file.find("\n" + key + "=");
    if (start == std::string::npos) return "<absent>";
    const size_t value = start + key.size() + 2;
    return file.substr(value, file.find_first_of("\r\n", value) - value);
  }

  static inline HWND mainWindow_ = nullptr;
  static inline ModuleLoadResult loaded_;
  std::unique_ptr<sim::SimHost> scene_;
  const std::string scratch_ = service().ScratchPath("scripts");
  host::UtilityObj* utility_ = nullptr;
  HWND panel_ = nullptr;
};

// The dialog template as the controls report it: tab order, ids, classes, styles, texts and
// rectangles in dialog units; and the logo of the window's DPI. Run at Wine's default DPI and
// again at 144 (LARKSPUR_EXPECT_DPI tells which).
TEST_F(PanelWindowTest, ControlsFollowTheTemplateAndTheDpi) {
  constexpr LONG kChild = WS_CHILD | WS_VISIBLE;
  constexpr LONG kTab = kChild | WS_TABSTOP, kEdit = kTab | WS_BORDER | ES_AUTOHSCROLL;
  constexpr LONG kGroupBox = kChild | BS_GROUPBOX, kLabel = kChild | WS_GROUP;
  constexpr LONG kCheck = kTab | BS_AUTOCHECKBOX;
  constexpr wchar_t kResetXform[] = L"Reset XForm + Convert to Poly (explodes groups!)";
  struct Row {
    int id;
    const wchar_t *kind, *text;
    LONG style;
    std::array<LONG, 4> box;  // x, y, width, height
  } const rows[] = {
      {1001, L"Static", L"", kChild | SS_BITMAP, {7, 6, 226, 40}},
      {1002, L"Static", L"v2.0", kLabel | SS_RIGHT, {178, 48, 56, 10}},
      {-1, L"Button", L"API Token", kGroupBox, {6, 60, 228, 33}},
      {1003, L"Edit", L"", kEdit, {10, 73, 188, 14}},
      {1004, L"Button", L"Save", kTab, {202, 72, 28, 15}},
      {-1, L"Button", L"Balance", kGroupBox, {6, 96, 228, 28}},
      {1005, L"Static", L"-", kLabel, {12, 108, 154, 12}},
      {1006, L"Button", L"Refresh", kTab, {182, 105, 48, 15}},
      {-1, L"Button", L"Exchange Folder", kGroupBox, {6, 126, 228, 32}},
      {1007, L"Edit", L"", kEdit, {10, 138, 188, 14}},
      {1008, L"Button", L"...", kTab, {202, 137, 28, 15}},
      {-1, L"Button", L"Options", kGroupBox, {6, 160, 228, 40}},
      {1009, L"Button", L"Export Displacement", kCheck, {12, 172, 140, 10}},
      {1010, L"Button", kResetXform, kCheck, {12, 186, 216, 10}},
      {1011, L"Button", L"Export && Send", kTab, {6, 205, 228, 26}},
      // The progress bar drops the template's WS_BORDER and draws its own frame.
      {1012, L"msctls_progress32", L"", kChild, {6, 236, 228, 12}},
      {1013, L"Static", L"Ready.", kLabel, {6, 252, 228, 10}},
      {1014, L"Static", L"", kLabel, {6, 265, 228, 10}},
      {1015, L"Static", L"api.larkspur.example", kLabel | SS_CENTER | SS_NOTIFY, {6, 285, 228, 10}},
  };
  EXPECT_EQ(WindowText(panel_), L"Larkspur Converter");
  // Every dialog gets DS_3DLOOK, every captioned top-level window WS_CLIPSIBLINGS.
  EXPECT_EQ(GetWindowLongW(panel_, GWL_STYLE) & ~(DS_3DLOOK | WS_CLIPSIBLINGS),
            static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                              DS_FIXEDSYS | WS_VISIBLE));
  RECT size{0, 0, 241, 300}, client;
  MapDialogRect(panel_, &size);
  GetClientRect(panel_, &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(size.right, size.bottom));

  HWND next = GetWindow(panel_, GW_CHILD);
  for (const Row& row : rows) {
    const HWND control = next;
    ASSERT_NE(control, nullptr) << "missing control " << row.id;
    next = GetWindow(control, GW_HWNDNEXT);
    SCOPED_TRACE(row.text);
    wchar_t kind[64];
    GetClassNameW(control, kind, 64);
    EXPECT_EQ(lstrcmpiW(kind, row.kind), 0) << kind;
    EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(control)), row.id);
    // A border in the template becomes a sunken edge when the control is made.
    const bool edge = GetWindowLongW(control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) | (edge ? WS_BORDER : 0), row.style);
    EXPECT_EQ(WindowText(control), row.text);
    RECT box{row.box[0], row.box[1], row.box[2], row.box[3]}, at;
    MapDialogRect(panel_, &box);  // right and bottom hold the size
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&at), 2);
    if (row.id == 1001) at.right = at.left + box.right, at.bottom = at.top + box.bottom;  // below
    EXPECT_EQ((std::array{at.left, at.top, at.right - at.left, at.bottom - at.top}),
              (std::array{box.left, box.top, box.right, box.bottom}));
  }
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(SendDlgItemMessageW(panel_, 1012, PBM_GETRANGE, FALSE, 0), 100);

  const UINT dpi = GetDpiForWindow(panel_);
  if (const char* expected = std::getenv("LARKSPUR_EXPECT_DPI")) {
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected)));
  }
  // The picture control takes the size of its bitmap, the logo of the window's DPI.
  const std::array<LONG, 2> logo{dpi < 144 ? 320 : 640, dpi < 144 ? 60 : 120};
  BITMAP bitmap{};
  ASSERT_TRUE(GetObjectW(
      reinterpret_cast<HBITMAP>(SendDlgItemMessageW(panel_, 1001, STM_GETIMAGE, IMAGE_BITMAP, 0)),
      sizeof bitmap, &bitmap));
  RECT picture;
  GetClientRect(GetDlgItem(panel_, 1001), &picture);
  EXPECT_EQ((std::array{bitmap.bmWidth, bitmap.bmHeight}), logo);
  EXPECT_EQ((std::array{picture.right, picture.bottom}), logo);
}

// Save stores the trimmed token; Refresh uses the field's token without storing it.
TEST_F(PanelWindowTest, SaveAndRefreshTellWhatHappened) {
  struct Row {
    int button;
    std::wstring token, url, said, balance;
    std::string stored;
  } const rows[] = {
      {1004, L"  panel-token\t", L"", L"Token saved.", L"-", "panel-token"},
      {1004, L"   ", L"", L"Token is empty \u2014 enter a token from localhost/dashboard", L"-",
       ""},
      {1006, L"panel-balance-6e2a", L"", L"", L"Balance: 500 credits", ""},
      {1006, L"nobody-0000", L"", L"Invalid token.\nUpdate your token at localhost/dashboard",
       L"Invalid token", ""},
      {1006, L"panel-balance-6e2a", L"https://localhost:1", L"Connection error:\n", L"Error", ""},
      {1006, L"\t", L"", L"Enter an API token.", L"Error", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.said);
    UseServiceUrl(loaded_.module, row.url.empty() ? W(service().httpsUrl) : row.url);
    Type(1003, row.token);
    const Box box = ClickAnswering(panel_, row.button);
    EXPECT_EQ(box.title, row.said.empty() ? L"" : L"Larkspur Exporter");
    const bool prefix = !row.said.empty() && row.said.back() == L'\n';  // then the error follows
    EXPECT_EQ(prefix ? box.text.substr(0, row.said.size()) : box.text, row.said);
    EXPECT_EQ(ControlText(1005), row.balance);
    EXPECT_EQ(Setting("apiToken"), row.stored);
    EXPECT_EQ(ControlText(1003), row.token);
  }
}

TEST_F(PanelWindowTest, FolderAndOptionAreStoredAsTheyChange) {
  SetFocus(GetDlgItem(panel_, 1007));
  Type(1007, L"C:\\Exchange ");  // Wine's profile functions drop leading spaces, we none
  PostMessageW(GetDlgItem(panel_, 1007), WM_KEYDOWN, VK_TAB, 0);
  MSG message;  // the host's loop lets the dialog manager handle the key
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchHostMessage(message);
  EXPECT_EQ(GetFocus(), GetDlgItem(panel_, 1008));
  EXPECT_EQ(Setting("exchangeFolder"), "C:\\Exchange ");
  for (const char* stored : {"true", "false", "true"}) {
    SendDlgItemMessageW(panel_, 1009, BM_CLICK, 0, 0);
    EXPECT_EQ(Setting("exportDisplacement"), stored);
  }
}

TEST_F(PanelWindowTest, ExportAndSendRunsTheWorkflow) {
  wchar_t temp[MAX_PATH];  // a Windows path, as a user would choose one
  const std::filesystem::path exchange =
      std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"Larkspur Exchange";
  std::filesystem::remove_all(exchange);
  std::filesystem::create_directories(exchange);
  Type(1007, exchange.wstring());
  Type(1003, L"panel-send-3c8f");
  const Box sent = ClickAnswering(panel_, 1011);
  EXPECT_EQ(sent.title + sent.text, L"");
  EXPECT_EQ(ControlText(1013), L"Done  OK  Objects: 2");
  EXPECT_EQ(ControlText(1005), L"Balance: 500 credits");
  const std::wstring job = ControlText(1014);
  ASSERT_EQ(job.size(), 19u) << job;
  EXPECT_EQ(job.substr(0, 11), L"Job: basic_");
  EXPECT_TRUE(std::filesystem::exists(exchange / job.substr(5) / "basic.fbx"));
  EXPECT_FALSE(std::filesystem::exists(exchange / job.substr(5) / "1.json"));
  EXPECT_TRUE(std::filesystem::exists(service().JobFile(ToUtf8(W16(job.substr(5))))));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel_, 1011)));
  if (const char* picture = std::getenv("LARKSPUR_PANEL_PICTURE")) {
    RedrawWindow(panel_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);  // the X server shows what was drawn
    EXPECT_TRUE(SaveWindowPicture(panel_, W(FromUtf8(picture))));
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

// The exports and the descriptor, then the panel's lifecycle as the host drives it.
TEST_F(PanelWindowTest, ModuleAndPanelLifecycle) {
  const LoadedModule& module = loaded_.module;
  EXPECT_STREQ(module.description(), L"Larkspur-C Exporter");
  EXPECT_EQ(module.numberClasses(), 1);
  EXPECT_EQ(module.version(), 0x6D604400u);
  EXPECT_EQ(module.classDesc(1), nullptr);
  EXPECT_EQ(ListClasses(module),
            std::vector<std::string>{"class 0: \"Larkspur Tools\" / \"LarkspurExporter\" "
                                     "(internal name \"LarkspurExporter\"), super class 0x1020, "
                                     "class id (0x7F3A1C9E, 0x4B2D6E11), public"});
  host::ClassDesc& desc = *module.classDesc(0);
  EXPECT_STREQ(desc.NonLocalizedClassName(), L"LarkspurExporter");
  EXPECT_EQ(desc.Create(FALSE), utility_);
  EXPECT_EQ(desc.Create(TRUE), utility_);
  EXPECT_EQ(reinterpret_cast<HMODULE>(desc.HInstance()), module.handle);

  const HWND first = panel_;
  const LRESULT logo = SendDlgItemMessageW(panel_, 1001, STM_GETIMAGE, IMAGE_BITMAP, 0);
  Open();
  EXPECT_EQ(panel_, first);
  EXPECT_EQ(FindWindowExW(nullptr, panel_, L"#32770", L"Larkspur Converter"), nullptr);

  SendMessageW(panel_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(first));
  WriteBytes(scratch_ + "/LarkspurBridge.ini", "[Settings]\r\napiToken=written-meanwhile\r\n");
  Open();
  EXPECT_NE(panel_, first);
  EXPECT_EQ(ControlText(1003), L"written-meanwhile");
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(logo)), 0u);  // the earlier logo is deleted
}

}  // namespace
}  // namespace larkspur::hostapp
