// The text operations every JSON writer of the system uses. Documents are assembled as UTF-16
// text by concatenation and converted to UTF-8 once, when written.
#pragma once

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/text.h"

namespace larkspur {

using host::Color;
using host::Point3;
using host::Quat;

// The text between the quotes of a JSON string; acts on UTF-16 code units.
Text EscapeJsonString(std::u16string_view text);
// The same, appended to out.
void AppendJsonEscaped(Text& out, std::u16string_view text);
// The same, appended to UTF-8 text.
void AppendJsonEscapedUtf8(std::string& out, std::u16string_view text);

// printf "%.6g" of the value widened to double; "null" for an infinity or a NaN.
Text FormatJsonFloat(float value);
// The same, appended to out.
void AppendJsonFloat(Text& out, float value);
void AppendJsonFloat(std::string& out, float value);
// [a,b,...] of such numbers, appended to out.
void AppendJsonFloats(Text& out, std::initializer_list<float> values);
void AppendJsonFloats(std::string& out, std::initializer_list<float> values);
Text FormatJsonBool(bool value);
Text FormatJsonColor(const Color& c);    // [r,g,b]
Text FormatJsonPoint3(const Point3& p);  // [x,y,z]
Text FormatJsonQuat(const Quat& q);      // [w,x,y,z]: the scalar part first

// Writes the UTF-8 bytes of text to path in one write, truncating; true when the stream reported
// no error after closing.
bool WriteTextFile(const Text& path, std::u16string_view text);
// The same for text already in UTF-8.
bool WriteUtf8File(const Text& path, std::string_view bytes);

// Writes a UTF-8 document to a file a piece at a time, so that a large one never sits in memory
// whole: the document is appended to Buffer(), which goes to the file whenever it has grown past
// a megabyte. The file is opened, truncating, at once; when it cannot be, the text is dropped.
class Utf8FileWriter {
 public:
  explicit Utf8FileWriter(const Text& path);
  std::string& Buffer() { return text_; }
  // Writes out what the buffer holds once it is a megabyte or more.
  void WriteWhenFull();
  // Writes out the rest and closes the file; true when the file was opened and every write
  // succeeded.
  bool Finish();

 private:
  std::ofstream file_;
  std::string text_;
};

}  // namespace larkspur
