#include "framework/format.h"

#include <gtest/gtest.h>

namespace vantorel {
namespace {

TEST(Format, ConversionsAndEdgeCases) {
  struct Case {
    std::string got, want;
  } cases[] = {
      {Format("Key: %s Ident: %s", "a", "b"), "Key: a Ident: b"},
      {Format("Index: %d", -1), "Index: -1"},
      {Format("%d%%", 50), "50%"},
      {Format("%x", 255), "FF"},
      {Format("missing %s and %d", "one"), "missing one and %d"},
      {Format("%q stays", 1), "%q stays"},
      {Format("trailing %"), "trailing %"},
      {Format("%s", std::string("std")), "std"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

}  // namespace
}  // namespace vantorel
