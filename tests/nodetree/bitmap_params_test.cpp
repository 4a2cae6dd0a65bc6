#include "nodetree/bitmap_params.h"

#include <gtest/gtest.h>

namespace larkspur {
namespace {

// The bitmap tables themselves are shown by the bitmaps scene's golden package.
TEST(BitmapParamsTest, FileNameOfPath) {
  const struct {
    std::u16string_view path;
    std::u16string_view name;
  } cases[] = {
      {u"C:\\maps\\wood\\oak.png", u"oak.png"},
      {u"/home/user/maps/oak.png", u"oak.png"},
      {u"C:\\maps/wood\\oak.png", u"oak.png"},
      {u"C:/maps\\wood/oak.png", u"oak.png"},
      {u"C:\\maps\\", u""},
      {u"oak.png", u"oak.png"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameOfPath(Text(c.path)), c.name) << ToUtf8(c.path);
}

}  // namespace
}  // namespace larkspur
