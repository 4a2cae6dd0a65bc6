#include "plugin/module/utility.h"

#include <windows.h>

#include "plugin/module/module_state.h"
#include "plugin/module/panel.h"

namespace larkspur::module {
namespace {

constexpr wchar_t kClassName[] = L"LarkspurExporter";
constexpr wchar_t kCategory[] = L"Larkspur Tools";

}  // namespace

int LarkspurClassDesc::IsPublic() {
  return TRUE;
}

// The host may ask for an object to load a file into; the one static utility serves both ways.
void* LarkspurClassDesc::Create(host::BOOL) {
  return &TheUtility();
}

const host::MCHAR* LarkspurClassDesc::ClassName() {
  return kClassName;
}

const host::MCHAR* LarkspurClassDesc::NonLocalizedClassName() {
  return kClassName;
}

host::SClass_ID LarkspurClassDesc::SuperClassID() {
  return host::UTILITY_CLASS_ID;
}

host::Class_ID LarkspurClassDesc::ClassID() {
  return kLarkspurClassId;
}

const host::MCHAR* LarkspurClassDesc::Category() {
  return kCategory;
}

const host::MCHAR* LarkspurClassDesc::InternalName() {
  return kClassName;
}

host::HINSTANCE LarkspurClassDesc::HInstance() {
  return Module().instance;
}

void LarkspurUtility::BeginEditParams(host::Interface* ip, host::IUtil*) {
  if (!ip) return;
  Panel().host = ip;
  ShowPanel(Module().instance, static_cast<HWND>(ip->GetMAXHWnd()));
}

void LarkspurUtility::EndEditParams(host::Interface*, host::IUtil*) {
  ClosePanel();
}

LarkspurClassDesc& TheClassDesc() {
  static LarkspurClassDesc desc;
  return desc;
}

LarkspurUtility& TheUtility() {
  static LarkspurUtility utility;
  return utility;
}

}  // namespace larkspur::module
