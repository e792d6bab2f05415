// A memo's lines from a text file's bytes: CR, LF and CR LF each end a line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/form.h"

namespace {

TEST(MemoLines, SplitAtCrLfOrCrLf) {
  using Lines = std::vector<std::string>;
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\r\n", {"one"}},                        // a final break starts no line
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},                  // LF CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"\x95\x5C\r\n\x83\x5C", {"\x95\x5C", "\x83\x5C"}},  // 表, ソ: bytes kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.first));
    EXPECT_EQ(ui::SplitLines(c.first), c.second);
  }
}

}  // namespace
