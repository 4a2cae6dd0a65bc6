// The host's plug-in contract as the module sees it: the class descriptor and utility object base
// classes with their virtual operations in the host SDK's order, the class identifiers and the
// version constant of the targeted host. Declared here from what the module uses, with the SDK's
// names, so that a build against the real SDK swaps this header for the SDK's and keeps the
// module's code. Both the module and the host program are built against it.
#pragma once

#include <cstdint>

#include "host/host.h"

// The Windows handle types, declared as windows.h declares them.
struct HINSTANCE__;
struct HWND__;

namespace larkspur::host {

using BOOL = int;
using MCHAR = wchar_t;  // the SDK's text character: UTF-16 on Windows
using HINSTANCE = ::HINSTANCE__*;
using HWND = ::HWND__*;
using ULONG = uint32_t;
using SClass_ID = SClassId;

inline constexpr SClass_ID UTILITY_CLASS_ID = super_class::kUtility;

// The SDK version a module was built against: release, interface number and revision.
inline constexpr ULONG kMaxRelease = 28000;
inline constexpr ULONG kMaxApiNum = 68;
inline constexpr ULONG kMaxSdkRev = 0;
inline constexpr ULONG VERSION_3DSMAX = (kMaxRelease << 16) + (kMaxApiNum << 8) + kMaxSdkRev;

class Class_ID {
 public:
  constexpr Class_ID() = default;
  constexpr Class_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }
  friend constexpr bool operator==(const Class_ID& l, const Class_ID& r) {
    return l.a_ == r.a_ && l.b_ == r.b_;
  }

 private:
  ULONG a_ = 0xFFFFFFFF;
  ULONG b_ = 0xFFFFFFFF;
};

// The host's utility panel interface; the module never calls it.
class IUtil;

// ClassDesc, with the operations a utility's descriptor overrides or the host asks of it.
class ClassDesc {
 public:
  virtual ~ClassDesc() = default;
  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = 0) = 0;
  virtual const MCHAR* ClassName() = 0;
  virtual const MCHAR* NonLocalizedClassName() = 0;
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const MCHAR* Category() = 0;
  virtual const MCHAR* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }
};

// ClassDesc2 adds the parameter block machinery, which a utility without parameters leaves alone.
class ClassDesc2 : public ClassDesc {};

// UtilityObj: what the host calls while the user has the utility open.
class UtilityObj {
 public:
  virtual ~UtilityObj() = default;
  virtual void BeginEditParams(Interface* ip, IUtil* iu) = 0;
  virtual void EndEditParams(Interface* ip, IUtil* iu) = 0;
  virtual void SelectionSetChanged(Interface*, IUtil*) {}
  virtual void DeleteThis() = 0;
  virtual void SetStartupParam(const MCHAR*) {}
};

// The module's exported functions, as the host looks them up by name.
using LibDescriptionFn = const MCHAR* (*)();
using LibNumberClassesFn = int (*)();
using LibClassDescFn = ClassDesc* (*)(int);
using LibVersionFn = ULONG (*)();
using LibInitializeFn = int (*)();
using LibShutdownFn = int (*)();

}  // namespace larkspur::host
