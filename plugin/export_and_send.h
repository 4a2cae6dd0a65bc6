// Export and Send: what the panel's "Export && Send" button runs. One synchronous pass checks the
// token, prepares the scene and the job folder, bakes vertex colours, makes material names unique,
// writes the FBX, the textures and the scene package, puts the material names back, posts the
// package as a job and reports every outcome in the panel.
#pragma once

#include <cstdint>
#include <functional>

#include "host/host.h"
#include "host/text.h"
#include "plugin/panel_view.h"
#include "transfer/http_client.h"

namespace larkspur {

// The system's millisecond tick count: GetTickCount64 on Windows, a steady clock elsewhere.
uint64_t SystemTickCount();

// Everything a run needs beyond the panel.
struct WorkflowContext {
  host::Interface& ip;
  Text serviceBaseUrl;  // the service's https origin; its host is named in the "/dashboard" texts
  HttpOptions http;     // time-outs and trust of the service's two requests
  std::function<uint64_t()> tickCount = SystemTickCount;  // source of the job id
};

// Position, then status line, then lets pending input through.
void SetProgress(PanelView& view, int percent, const Text& text);

// Progress 100, status "Error.", pending input let through, job label cleared, then the error box.
void ShowExportError(PanelView& view, const Text& text);

// One complete run. Every outcome is shown in the view; nothing escapes: whatever a step throws
// ends the run with "Export stopped: " and what went wrong, the material names restored and the
// button enabled.
void ExportAndSend(PanelView& view, const WorkflowContext& context) noexcept;

}  // namespace larkspur
