// What our own profile writer adds to the Windows behaviour: it changes only the line concerned
// and keeps every other byte, line ends and byte order mark included; it stores UTF-8; and it
// reads no more of a file than a settings file could sensibly hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "plugin/settings_file.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;

class ProfileFile : public ::testing::Test {
 protected:
  ~ProfileFile() override { fs::remove(path_); }

  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void SetBytes(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

  const fs::path path_ = fs::temp_directory_path() /
                         ("larkspur-profile-" + std::to_string(std::random_device{}()) + ".ini");
  const SettingsFile settings_{path_.u16string()};
};

TEST_F(ProfileFile, AWriteChangesOnlyTheLineConcerned) {
  const struct {
    std::string before;
    Text value;
    std::string after;
  } cases[] = {
      {"; c\n\n[Settings]\r\n  k = old  \r\nx=1\r\n\r\n[B]\r\n", u"new",
       "; c\n\n[Settings]\r\nk=new\r\nx=1\r\n\r\n[B]\r\n"},
      {"[Settings]\r\nx=1\r\n\r\n[B]\r\n", u"v", "[Settings]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n"},
      {"\xEF\xBB\xBF[A]\nx=1", u"v", "\xEF\xBB\xBF[A]\nx=1\n[Settings]\nk=v\n"},
      {"[Settings]\nk=1", u"2", "[Settings]\nk=2"},
      {"[Settings]\nx=1", u"v", "[Settings]\nx=1\nk=v\n"},
      {"[Settings]\n  k = same  \n", u"same", "[Settings]\n  k = same  \n"},
      {"", u"C:\\Ünï\\😀", "[Settings]\nk=C:\\\xC3\x9C\x6E\xC3\xAF\\\xF0\x9F\x98\x80\n"},
  };
  for (const auto& c : cases) {
    SetBytes(c.before);
    settings_.Write(kSettingsSection, u"k", c.value);
    EXPECT_EQ(Bytes(), c.after);
    EXPECT_EQ(settings_.Read(kSettingsSection, u"k", u"-"), c.value);
  }
}

TEST_F(ProfileFile, AHugeFileIsReadOnlyAsFarAsTheBoundAndNeverRewritten) {
  const std::string huge =
      "[Settings]\nexchangeFolder=" + std::string(size_t{2} << 20, 'x') + "\napiToken=late\n";
  SetBytes(huge);
  EXPECT_EQ(settings_.Read(kSettingsSection, kExchangeFolderKey, u"-"), Text(1023, u'x'));
  EXPECT_EQ(settings_.Read(kSettingsSection, kApiTokenKey, u"-"), u"-");
  settings_.Write(kSettingsSection, kApiTokenKey, u"new");
  EXPECT_EQ(Bytes(), huge);
}

}  // namespace
}  // namespace larkspur
