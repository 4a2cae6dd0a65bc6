// Our own profile-file reader and writer, with what the Windows profile functions show of a
// single value: the section and the key found by name without regard to case (the first of
// each), white space around names and values dropped, one pair of matching quotes taken off,
// the value cut to the caller's buffer. Unlike Windows, a write changes only the one line it
// concerns: every other byte of the file, comments and blank lines included, stays as it was.
// The file is UTF-8; a leading byte order mark is kept.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>

#include "plugin/profile_file.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;

// A settings file holds a few short lines. A larger file is read only as far as this, and a write
// to it is refused, so that nothing beyond what was read can be lost.
constexpr size_t kMaxFileBytes = size_t{1} << 20;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// White space to the profile functions: tab to carriage return, space, and ^Z (an old end of file).
bool IsProfileSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

template <typename Char>
std::basic_string_view<Char> TrimLeading(std::basic_string_view<Char> text) {
  while (!text.empty() && IsProfileSpace(static_cast<std::make_unsigned_t<Char>>(text.front()))) {
    text.remove_prefix(1);
  }
  return text;
}

template <typename Char>
std::basic_string_view<Char> Trim(std::basic_string_view<Char> text) {
  text = TrimLeading(text);
  while (!text.empty() && IsProfileSpace(static_cast<std::make_unsigned_t<Char>>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// The Windows functions take zero-terminated texts, so a text ends at its first NUL.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}
std::u16string_view UpToNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

bool SameName(std::string_view fileName, std::u16string_view wanted) {
  return EqualsIgnoreCase(FromUtf8(UpToNul(fileName)), wanted);
}

// One line of the file: its text, and where the next line starts. A line ends at CR LF, LF or a
// lone CR.
struct RawLine {
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
};

RawLine LineAt(std::string_view text, size_t begin) {
  RawLine line{begin, text.find_first_of("\r\n", begin), 0};
  if (line.end == std::string_view::npos) line.end = text.size();
  line.next = line.end;
  if (line.next < text.size()) {
    line.next += text.compare(line.next, 2, "\r\n") == 0 ? 2 : 1;
  }
  return line;
}

enum class LineKind { kBlank, kSection, kEntry };

struct ParsedLine {
  LineKind kind = LineKind::kBlank;
  std::string_view name;   // the section's or the key's name
  std::string_view value;  // entries with an equals sign only
  bool hasValue = false;
};

// A section header starts with "[" and names what lies before its last "]"; a "[" without a "]"
// starts an ordinary entry. An entry's name is what precedes its first "=", the whole line when
// it has none.
ParsedLine ParseLine(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return {};
  if (text.front() == '[') {
    const size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      return {LineKind::kSection, Trim(text.substr(1, close - 1)), {}, false};
    }
  }
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {LineKind::kEntry, text, {}, false};
  return {LineKind::kEntry, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1)), true};
}

// Where a key stands in the file, or where it would go.
struct Location {
  bool sectionFound = false;
  bool keyFound = false;
  RawLine keyLine;
  ParsedLine keyEntry;
  // A new key goes after the section's last non-blank line (its header when it has none); the
  // lines before the first header form a section without a name.
  size_t insertAt = 0;
  bool insertAfterOpenLine = false;  // that line ends the file without a line end
};

Location Locate(std::string_view text, std::u16string_view section, std::u16string_view key) {
  Location at;
  bool inSection = section.empty();
  at.sectionFound = inSection;
  for (size_t pos = 0; pos < text.size();) {
    const RawLine raw = LineAt(text, pos);
    const ParsedLine line = ParseLine(text.substr(raw.begin, raw.end - raw.begin));
    pos = raw.next;
    if (line.kind == LineKind::kSection) {
      if (inSection) break;  // only the first section of the name counts
      inSection = at.sectionFound = SameName(line.name, section);
    } else if (!inSection || line.kind == LineKind::kBlank) {
      continue;
    }
    at.insertAt = raw.next;
    at.insertAfterOpenLine = raw.next == raw.end;
    if (line.kind == LineKind::kEntry && SameName(line.name, key)) {
      at.keyFound = true;
      at.keyLine = raw;
      at.keyEntry = line;
      break;
    }
  }
  return at;
}

// The value as the caller's buffer receives it: without one pair of matching quotes (" or '),
// cut to bufferChars - 1 characters. The closing quote is dropped whenever the rest after the
// opening one is no longer than the buffer, so a quoted value that just fails to fit loses its
// last character instead, as Wine's functions do.
Text CopyEntry(std::u16string_view value, size_t bufferChars) {
  const bool quoted =
      value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0];
  if (quoted) value.remove_prefix(1);
  Text copy(value.substr(0, bufferChars == 0 ? 0 : bufferChars - 1));
  if (quoted && bufferChars >= value.size() && !copy.empty()) copy.pop_back();
  return copy;
}

enum class FileState { kMissing, kRead, kUnusable };

struct FileBytes {
  FileState state = FileState::kUnusable;
  std::string bytes;  // at most kMaxFileBytes
  bool whole = true;  // false when the file goes on beyond kMaxFileBytes
};

FileBytes LoadFile(const fs::path& path, const char* mode) {
  FileBytes file;
  errno = 0;
  std::FILE* stream = std::fopen(path.c_str(), mode);
  if (!stream) {
    if (errno == ENOENT) file.state = FileState::kMissing;
    return file;
  }
  char chunk[16384];
  size_t count = 0;
  do {
    count = std::fread(chunk, 1, sizeof chunk, stream);
    file.bytes.append(chunk, count);
  } while (count == sizeof chunk && file.bytes.size() <= kMaxFileBytes);
  const bool failed = std::ferror(stream) != 0;  // a folder, for one
  std::fclose(stream);
  if (failed) return file;
  file.state = FileState::kRead;
  file.whole = file.bytes.size() <= kMaxFileBytes;
  if (!file.whole) file.bytes.resize(kMaxFileBytes);
  return file;
}

bool SaveFile(const fs::path& path, std::string_view bytes) {
  std::FILE* stream = std::fopen(path.c_str(), "wb");
  if (!stream) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  return std::fclose(stream) == 0 && written;
}

// A file without any write permission is read-only, like a file with the Windows read-only
// attribute, which the profile functions do not write even for an administrator.
bool IsReadOnly(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  constexpr fs::perms kAnyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return !error && fs::exists(status) && (status.permissions() & kAnyWrite) == fs::perms::none;
}

std::string_view WithoutBom(std::string_view bytes) {
  return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? bytes.substr(kUtf8Bom.size()) : bytes;
}

// New lines follow the file's first line end: CR LF or, by default, LF.
std::string_view LineEndOf(std::string_view text) {
  const size_t end = text.find_first_of("\r\n");
  return end != std::string_view::npos && text.compare(end, 2, "\r\n") == 0 ? "\r\n" : "\n";
}

}  // namespace

Text ReadProfileValue(const Text& path, const Text& section, const Text& key, size_t bufferChars) {
  const FileBytes file = LoadFile(fs::path(ToUtf8(path)), "rb");
  if (file.state != FileState::kRead) return {};
  const Location at = Locate(WithoutBom(file.bytes), Trim(UpToNul(section)), Trim(UpToNul(key)));
  if (!at.keyFound || !at.keyEntry.hasValue) return {};
  return CopyEntry(UpToNul(FromUtf8(at.keyEntry.value)), bufferChars);
}

bool WriteProfileValue(const Text& path, const Text& section, const Text& key, const Text& value) {
  const fs::path file(ToUtf8(path));
  if (IsReadOnly(file)) return false;
  const FileBytes old = LoadFile(file, "r+b");
  if (old.state == FileState::kUnusable || !old.whole) return false;

  const std::u16string_view sectionName = TrimLeading(UpToNul(section));
  const std::u16string_view keyName = TrimLeading(UpToNul(key));
  const std::u16string_view newValue = TrimLeading(UpToNul(value));
  const std::string_view text = WithoutBom(old.bytes);
  const std::string_view bom(old.bytes.data(), old.bytes.size() - text.size());
  const std::string_view lineEnd = LineEndOf(text);
  const Location at = Locate(text, Trim(sectionName), Trim(keyName));

  std::string updated(bom);
  if (at.keyFound) {
    if (at.keyEntry.hasValue && UpToNul(FromUtf8(at.keyEntry.value)) == newValue) {
      return true;  // unchanged: the file is not touched
    }
    updated.append(text.substr(0, at.keyLine.begin))
        .append(at.keyEntry.name)
        .append("=")
        .append(ToUtf8(newValue))
        .append(text.substr(at.keyLine.end));
  } else {
    const std::string entry = ToUtf8(keyName) + "=" + ToUtf8(newValue) + std::string(lineEnd);
    if (at.sectionFound) {
      updated.append(text.substr(0, at.insertAt))
          .append(at.insertAfterOpenLine ? lineEnd : "")
          .append(entry)
          .append(text.substr(at.insertAt));
    } else {
      const bool open = !text.empty() && text.back() != '\n' && text.back() != '\r';
      updated.append(text)
          .append(open ? lineEnd : "")
          .append("[" + ToUtf8(sectionName) + "]")
          .append(lineEnd)
          .append(entry);
    }
  }
  // A file without a byte order mark whose first line now starts with one (a key beginning with
  // U+FEFF) gets a mark of its own, or reading it back would take the key's for the file's.
  if (bom.empty() && updated.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0) {
    updated.insert(0, kUtf8Bom);
  }
  return SaveFile(file, updated);
}

}  // namespace larkspur
