#include "plugin/export_and_send.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "host/file_path.h"
#include "package/scene_package.h"
#include "plugin/fbx_export.h"
#include "plugin/job_name.h"
#include "plugin/panel_text.h"
#include "plugin/scene_preparation.h"
#include "transfer/material_names.h"
#include "transfer/service_api.h"
#include "transfer/texture_collection.h"
#include "transfer/vertex_color_bake.h"

namespace larkspur {
namespace {

constexpr char16_t kErrorTitle[] = u"Larkspur Exporter \u2014 Error";
constexpr char16_t kBalanceTitle[] = u"Larkspur-C \u2014 Balance";
constexpr char16_t kUnavailableTitle[] = u"Larkspur-C \u2014 Server Unavailable";
constexpr char16_t kConfirmTitle[] = u"Reset XForm";
constexpr char16_t kConfirmText[] =
    u"WARNING!\n\nThe following will be performed:\n  \u2022 Explode all groups\n  \u2022 Reset "
    u"XForm\n  \u2022 Convert to Editable Poly\n\nThese operations will modify the scene and "
    u"cannot be undone.\nDo not save the scene after export!\n\nContinue?";

// folder, the platform's separator, name: a folder that ends in a separator gets a second one.
Text JoinedPath(const Text& folder, const Text& name) {
  return folder + static_cast<char16_t>(std::filesystem::path::preferred_separator) + name;
}

// A folder that exists already, or that cannot be made, does not stop the run: the steps that
// need it fail in their own way.
void CreateFolder(const Text& path) {
  std::error_code ignored;
  std::filesystem::create_directory(NativePath(path), ignored);
}

void RemoveFile(const Text& path) {
  std::error_code ignored;
  std::filesystem::remove(NativePath(path), ignored);
}

void ShowBox(PanelView& view, const Text& text, const Text& title = kPanelTitle) {
  view.ShowMessageBox(text, title, MessageIcon::kNone, MessageButtons::kOk);
}

Text TexturesText(const TextureCollectResult& textures) {
  Text text = u"Textures: " + FormatInt(textures.copied);
  if (!textures.missing.empty()) {
    text += u"  (" + FormatInt(static_cast<long long>(textures.missing.size())) + u" missing)";
  }
  return text;
}

// One run of the workflow. Run() may throw; the caller ends such a run with Stop().
class ExportRun {
 public:
  ExportRun(PanelView& view, const WorkflowContext& context)
      : view_(view),
        context_(context),
        ip_(context.ip),
        dashboard_(DashboardAddress(context.serviceBaseUrl)) {}

  void Run() {
    const Text token = TrimWhitespace(view_.TokenText());
    if (token.empty()) {
      return ShowBox(view_, u"Invalid token.\nEnter your token from " + dashboard_);
    }
    const BalanceResult balance = CheckBalance(context_.serviceBaseUrl, token, context_.http);
    if (!balance.ok) {
      if (balance.error == kInvalidToken || balance.error == kTokenEmpty) {
        return ShowBox(view_, u"Invalid token.\nUpdate your token at " + dashboard_);
      }
      return ShowBox(view_, u"Cannot connect to server:\n" + balance.error);
    }
    view_.SetBalanceLabel(u"Balance: " + FormatInt(balance.balance) + u" credits");

    const Text exchangeFolder = view_.ExchangeFolderText();
    if (exchangeFolder.empty()) return ShowBox(view_, u"Select an Exchange Folder.");
    if (!PathExists(exchangeFolder)) {
      return ShowBox(view_, u"Folder does not exist:\n" + exchangeFolder);
    }

    buttonDisabled_ = true;
    view_.SetExportButtonEnabled(false);
    view_.SetJobLabel(u"");
    if (view_.ResetXformChecked()) {
      const MessageAnswer answer = view_.ShowMessageBox(
          kConfirmText, kConfirmTitle, MessageIcon::kWarning, MessageButtons::kYesNo);
      if (answer != MessageAnswer::kYes) {
        EnableButton();
        return SetProgress(view_, 0, u"Ready.");
      }
      RunResetXformAndConvertToPoly(ip_);
    }
    ExportJob(token, exchangeFolder);
    EnableButton();
  }

  // Ends a run that threw: the material names are back already (the restorer's work while the
  // exception left Run), the error is shown and the button enabled. Nothing here may throw.
  void Stop(const char* what) noexcept {
    // A view that fails while reporting the failure leaves nothing more to show; the button is
    // still tried.
    try {
      ShowExportError(view_, u"Export stopped: " + FromUtf8(what));
    } catch (...) {
    }
    try {
      if (buttonDisabled_) EnableButton();
    } catch (...) {
    }
  }

 private:
  // From the job folder to the submission's outcome.
  void ExportJob(const Text& token, const Text& exchangeFolder) {
    SetProgress(view_, 8, u"Preparing job folder...");
    const Text jobName = MakeJobFolderName(ip_, context_.tickCount());
    const Text jobFolder = JoinedPath(exchangeFolder, jobName);
    CreateFolder(jobFolder);
    CreateFolder(JoinedPath(jobFolder, u"textures"));

    SetProgress(view_, 12, u"Baking MultiTexture vertex colors...");
    BakeMultiTextureVC(ip_);
    SetProgress(view_, 14, u"Deduplicating material names...");
    MaterialNameRestorer names(DeduplicateMaterialNames(ip_));

    SetProgress(view_, 20, u"Exporting FBX...");
    Text fbxError;
    if (!ExportFbx(ip_, JoinedPath(jobFolder, MakeJobBaseName(ip_) + u".fbx"), fbxError)) {
      names.Restore();
      return ShowExportError(view_, fbxError);
    }
    SetProgress(view_, 40, u"Collecting textures...");
    SetProgress(view_, 55, TexturesText(CollectTextures(ip_, jobFolder)));

    SetProgress(view_, 65, u"Building Package...");
    const Text packagePath = JoinedPath(jobFolder, u"1.json");
    const PackageResult package = BuildScenePackage(ip_, packagePath);
    names.Restore();
    if (!package.ok) return ShowExportError(view_, u"Package export returned failure.");
    const Text objects = FormatInt(package.objectCount);
    SetProgress(view_, 78, u"Package ready. Objects: " + objects);

    SetProgress(view_, 88, u"Sending to server...");
    HttpResult sent;
    try {
      sent = SubmitJob(context_.serviceBaseUrl, packagePath, token, jobName, context_.http);
    } catch (...) {
      RemoveFile(packagePath);
      throw;
    }
    RemoveFile(packagePath);
    if (sent.ok) {
      SetProgress(view_, 100, u"Done  OK  Objects: " + objects);
      view_.SetJobLabel(u"Job: " + jobName);
    } else if (sent.text.find(u"insufficient balance") != Text::npos) {
      SetProgress(view_, 100, u"Insufficient balance.");
      ShowBox(view_, u"Insufficient credits.\nTop up your balance at " + dashboard_, kBalanceTitle);
    } else {
      SetProgress(view_, 100, u"Server unavailable.");
      ShowBox(view_, u"Failed to send to server:\n" + sent.text, kUnavailableTitle);
    }
  }

  void EnableButton() {
    view_.SetExportButtonEnabled(true);
    buttonDisabled_ = false;
  }

  PanelView& view_;
  const WorkflowContext& context_;
  host::Interface& ip_;
  const Text dashboard_;
  bool buttonDisabled_ = false;
};

}  // namespace

void SetProgress(PanelView& view, int percent, const Text& text) {
  view.SetProgressPosition(percent);
  view.SetStatusText(text);
  view.DrainPendingInput();
}

void ShowExportError(PanelView& view, const Text& text) {
  view.SetProgressPosition(100);
  view.SetStatusText(u"Error.");
  view.DrainPendingInput();
  view.SetJobLabel(u"");
  view.ShowMessageBox(text, kErrorTitle, MessageIcon::kError, MessageButtons::kOk);
}

void ExportAndSend(PanelView& view, const WorkflowContext& context) noexcept {
  try {
    ExportRun run(view, context);
    try {
      run.Run();
    } catch (const std::exception& e) {
      run.Stop(e.what());
    } catch (...) {
      run.Stop("unknown failure");
    }
  } catch (...) {
    // Only the run's own set-up (its texts) can fail here, before anything was changed.
  }
}

}  // namespace larkspur
