#include "plugin/job_name.h"

#include "host/file_path.h"

namespace larkspur {
namespace {

bool IsJobNameUnit(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

}  // namespace

Text MakeJobId(uint64_t tickCount) {
  constexpr char16_t kDigits[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
  Text id;
  for (int i = 0; i < 8; ++i, tickCount /= 36) id += kDigits[tickCount % 36];
  return id;
}

Text MakeJobBaseName(const host::Interface& ip) {
  const Text fileName = ip.GetCurFileName();
  Text name(FileNamePart(fileName));
  const size_t dot = name.rfind(u'.');
  if (dot != Text::npos) name.resize(dot);
  if (name.empty()) return u"untitled";
  for (char16_t& c : name) {
    if (!IsJobNameUnit(c)) c = u'_';
  }
  return name;
}

Text MakeJobFolderName(const host::Interface& ip, uint64_t tickCount) {
  return MakeJobBaseName(ip) + u"_" + MakeJobId(tickCount);
}

}  // namespace larkspur
