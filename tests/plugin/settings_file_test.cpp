// One table of settings-file cases, run against the profile functions of the build: our own
// reader and writer natively, the Windows ones (Wine's) in the Windows build. Windows rewrites the
// whole file in its own layout (CR LF, no blank lines, no spaces around "=", ANSI), so files are
// compared as the profile functions see them (Normalise): section and key order, names, values.
// Our own writer keeps the file's layout; where a case gives the bytes, those are checked too.
#include "plugin/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>

#include "host/sim/sim_scene.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kDefault[] = u"<default>";
constexpr bool kWindowsProfileFunctions = LARKSPUR_WINDOWS_PROFILE_FUNCTIONS;

std::string Xs(size_t count) {
  return std::string(count, 'x');
}
Text WideXs(size_t count) {
  return Text(count, u'x');
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  return begin == std::string::npos ? ""
                                    : text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// The lines that are not blank, trimmed, with the spaces inside "[ name ]" and around an entry's
// first "=" taken out, joined by LF.
std::string Normalise(const std::string& bytes) {
  std::string out;
  for (size_t pos = 0, end = 0; pos <= bytes.size(); pos = end + 1) {
    end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::string line = Trim(bytes.substr(pos, end - pos));
    const size_t equals = line.find('=');
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      line = "[" + Trim(line.substr(1, line.size() - 2)) + "]";
    } else if (equals != std::string::npos) {
      line = Trim(line.substr(0, equals)) + "=" + Trim(line.substr(equals + 1));
    }
    out += (out.empty() ? "" : "\n") + line;
  }
  return out;
}

enum class Place { kFolder, kMissingFolder, kReadOnlyFile };

struct Case {
  std::optional<std::string> before;      // the file's bytes; none: no file
  Text key;                               // in section "Settings"
  std::optional<Text> write;              // the value written first, if any
  Text read;                              // what the key reads as afterwards, with kDefault
  std::optional<std::string> after = {};  // the file normalised; none: unchanged (or still absent)
  std::optional<std::string> bytes = {};  // the file as our own writer leaves it; none: after, LF
  Place place = Place::kFolder;
};

TEST(SettingsFile, ReadsAndWritesAsTheWindowsProfileFunctions) {
  const std::string s = "[Settings]\n";
  const std::string oldToken = s + "apiToken=old\n";
  const std::string mixed =
      "; top\n[Other]\na = 1\n\n[Settings]\napiToken = old\nexchangeFolder=C:\\f\n[Last]\nz=9\n";
  const std::string crlf = "[Settings]\r\napiToken=t\r\n; note\r\n\r\n[Other]\r\na=1\r\n";
  const Case cases[] = {
      // Reads.
      {{}, u"apiToken", {}, kDefault},
      {"[Settings]\rapiToken=abc\r", u"apiToken", {}, u"abc"},
      {"\xEF\xBB\xBF[settings]\nAPITOKEN=abc\n", u"apiToken", {}, u"abc"},
      {"[ Settings ] ; note\n  apiToken \t=\t abc def \t", u" apiToken ", {}, u"abc def"},
      {s + "apiToken= \t\n", u"apiToken", {}, kDefault},
      {s + "apiToken\n", u"apiToken", {}, kDefault},
      {s + "apiToken=a=b\n", u"apiToken", {}, u"a=b"},
      {s + "apiToken=\"  a b  \"\n", u"apiToken", {}, u"  a b  "},
      {s + "apiToken='abc'\n", u"apiToken", {}, u"abc"},
      {s + "apiToken=\"abc'\n", u"apiToken", {}, u"\"abc'"},
      {s + "apiToken=\"\"\n", u"apiToken", {}, kDefault},
      {s + std::string("apiToken=ab\0cd\n", 15), u"apiToken", {}, u"ab"},
      {s + "exchangeFolder=\"" + Xs(1023) + "\"\n", u"exchangeFolder", {}, WideXs(1022)},
      {s + "exchangeFolder=\"" + Xs(1030) + "\"\n", u"exchangeFolder", {}, WideXs(1023)},
      {s + "apiToken=first\napiToken=second\n", u"apiToken", {}, u"first"},
      {s + "other=1\n" + s + "apiToken=second\n", u"apiToken", {}, kDefault},
      {"apiToken=top\n[Settings\napiToken=x\n[Other]\napiToken=y\n[Settings]\n",
       u"apiToken",
       {},
       kDefault},
      // Writes.
      {{}, u"apiToken", u"tok", u"tok", "[Settings]\napiToken=tok"},
      {{}, u"apiToken", u"", kDefault, "[Settings]\napiToken="},
      {{}, u"exchangeFolder", WideXs(1030), WideXs(1023), "[Settings]\nexchangeFolder=" + Xs(1030)},
      {{},
       u"apiToken",
       u"  padded \t",
       u"padded",
       "[Settings]\napiToken=padded",
       "[Settings]\napiToken=padded \t\n"},
      {mixed, u"apiToken", u"new", u"new",
       "; top\n[Other]\na=1\n[Settings]\napiToken=new\nexchangeFolder=C:\\f\n[Last]\nz=9",
       "; top\n[Other]\na = 1\n\n[Settings]\napiToken=new\nexchangeFolder=C:\\f\n[Last]\nz=9\n"},
      {crlf, u"exportDisplacement", u"true", u"true",
       "[Settings]\napiToken=t\n; note\nexportDisplacement=true\n[Other]\na=1",
       "[Settings]\r\napiToken=t\r\n; note\r\nexportDisplacement=true\r\n\r\n[Other]\r\na=1\r\n"},
      {"top=1\n[Other]\na=1", u"exchangeFolder", u"D:\\x", u"D:\\x",
       "top=1\n[Other]\na=1\n[Settings]\nexchangeFolder=D:\\x"},
      {"[Settings]\napiToken=t", u"exchangeFolder", u"D:\\x", u"D:\\x",
       "[Settings]\napiToken=t\nexchangeFolder=D:\\x"},
      {s + "  apiToken = same  \n", u"apiToken", u"same", u"same", "[Settings]\napiToken=same",
       s + "  apiToken = same  \n"},
      {s + "a=1\n" + oldToken, u"apiToken", u"new", u"new",
       "[Settings]\na=1\napiToken=new\n[Settings]\napiToken=old"},
      {"\xEF\xBB\xBF" + oldToken, u"apiToken", u"new", u"new",
       "\xEF\xBB\xBF[Settings]\napiToken=new"},
      {oldToken, u"apiToken", u"new", u"old", {}, {}, Place::kReadOnlyFile},
      {{}, u"apiToken", u"tok", kDefault, {}, {}, Place::kMissingFolder},
  };

  const fs::path root =
      fs::temp_directory_path() / ("larkspur-settings-" + std::to_string(std::random_device{}()));
  sim::SimHost host;
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << index << ": " << c.before.value_or("(no file)"));
    const fs::path folder = root / std::to_string(index++);
    fs::create_directories(folder);
    host.userScriptsDir =
        (c.place == Place::kMissingFolder ? folder / "missing" : folder).u16string();
    const SettingsFile settings(host);
    const fs::path file(settings.Path());
    if (c.before) std::ofstream(file, std::ios::binary) << *c.before;
    if (c.place == Place::kReadOnlyFile) {
      fs::permissions(file, fs::perms::all, fs::perm_options::remove);
      fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
      // Wine leaves the read-only check to Unix permissions, which the superuser passes: run as
      // root, it writes into a read-only file that Windows (and our own writer) leaves alone.
      if (kWindowsProfileFunctions && std::ofstream(file, std::ios::app)) {
        std::cout << "Skipped case " << index - 1 << ": this Wine writes read-only files\n";
        continue;
      }
    }

    if (c.write) settings.Write(kSettingsSection, c.key, *c.write);
    EXPECT_EQ(settings.Read(kSettingsSection, c.key, kDefault), c.read);
    if (c.after) {
      EXPECT_EQ(Normalise(ReadBytes(file)), *c.after);
    } else if (c.before) {
      EXPECT_EQ(ReadBytes(file), *c.before);
    } else {
      EXPECT_FALSE(fs::exists(c.place == Place::kMissingFolder ? file.parent_path() : file));
    }
    if (c.after && !kWindowsProfileFunctions) {
      EXPECT_EQ(ReadBytes(file), c.bytes.value_or(*c.after + "\n"));
    }
  }
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  fs::remove_all(root);
}

// Our own file is UTF-8 throughout (Windows writes a new file in the ANSI code page), and no more
// of it is read than a settings file could sensibly hold: beyond that nothing is seen, and a write
// is refused rather than losing what was not read.
TEST(SettingsFile, OurOwnFileIsUtf8AndReadOnlyAsFarAsItsBound) {
  if (kWindowsProfileFunctions) GTEST_SKIP() << "the Windows functions keep their own rules";
  const fs::path path = fs::temp_directory_path() /
                        ("larkspur-settings-" + std::to_string(std::random_device{}()) + ".ini");
  const SettingsFile settings(path.u16string());
  settings.Write(kSettingsSection, kExchangeFolderKey, u"C:\\Ünï\\😀");
  EXPECT_EQ(ReadBytes(path),
            "[Settings]\nexchangeFolder=C:\\\xC3\x9Cn\xC3\xAF\\\xF0\x9F\x98\x80\n");
  EXPECT_EQ(settings.Read(kSettingsSection, kExchangeFolderKey, u"-"), u"C:\\Ünï\\😀");

  const std::string huge =
      "[Settings]\nexchangeFolder=" + Xs(size_t{2} << 20) + "\napiToken=late\n";
  std::ofstream(path, std::ios::binary) << huge;
  EXPECT_EQ(settings.Read(kSettingsSection, kExchangeFolderKey, u"-"), WideXs(1023));
  EXPECT_EQ(settings.Read(kSettingsSection, kApiTokenKey, u"-"), u"-");
  settings.Write(kSettingsSection, kApiTokenKey, u"new");
  EXPECT_EQ(ReadBytes(path), huge);
  fs::remove(path);
}

TEST(GetSettingsPath, AddsASeparatorOnlyWhereTheDirectoryLacksOne) {
  const Text separator(1, static_cast<char16_t>(fs::path::preferred_separator));
  const struct {
    Text directory;
    Text path;
  } cases[] = {
      {u"", u"LarkspurBridge.ini"},
      {u"C:\\u\\scripts", u"C:\\u\\scripts" + separator + u"LarkspurBridge.ini"},
      {u"C:\\u\\scripts\\", u"C:\\u\\scripts\\LarkspurBridge.ini"},
      {u"/home/u/scripts/", u"/home/u/scripts/LarkspurBridge.ini"},
  };
  sim::SimHost host;
  for (const auto& c : cases) {
    host.userScriptsDir = c.directory;
    EXPECT_EQ(GetSettingsPath(host), c.path);
  }
}

}  // namespace
}  // namespace larkspur
