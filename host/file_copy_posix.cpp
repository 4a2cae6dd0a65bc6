#include <system_error>

#include "host/file_path.h"

namespace larkspur {

bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                    error);
}

}  // namespace larkspur
