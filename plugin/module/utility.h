// The one utility the module registers: its class descriptor and the utility object that opens and
// closes the panel.
#pragma once

#include "host/plugin_contract.h"

namespace larkspur::module {

inline constexpr host::Class_ID kLarkspurClassId{0x7F3A1C9E, 0x4B2D6E11};

class LarkspurClassDesc : public host::ClassDesc2 {
 public:
  int IsPublic() override;
  void* Create(host::BOOL loading) override;
  const host::MCHAR* ClassName() override;
  const host::MCHAR* NonLocalizedClassName() override;
  host::SClass_ID SuperClassID() override;
  host::Class_ID ClassID() override;
  const host::MCHAR* Category() override;
  const host::MCHAR* InternalName() override;
  host::HINSTANCE HInstance() override;
};

class LarkspurUtility : public host::UtilityObj {
 public:
  void BeginEditParams(host::Interface* ip, host::IUtil* iu) override;
  void EndEditParams(host::Interface* ip, host::IUtil* iu) override;
  // The object is static: nothing to free.
  void DeleteThis() override {}
};

LarkspurClassDesc& TheClassDesc();
LarkspurUtility& TheUtility();

}  // namespace larkspur::module
