// The numeric entry's rules, key by key, without a screen.
#include "screen/entry_rules.h"

#include <gtest/gtest.h>

#include "tests/entry_cases.h"
#include "tests/test_names.h"

namespace {

using entrytest::bits;

class EntryRulesTest : public testing::TestWithParam<entrytest::entry_case> {};

TEST_P(EntryRulesTest, KeyByKey) {
  const auto& c = GetParam();
  const auto typed = entrytest::type_keys(c.keys);
  EXPECT_EQ(typed.refused, c.refused);
  EXPECT_EQ(typed.shown, c.shown);
  EXPECT_EQ(bits(typed.value), bits(c.value)) << typed.value << " against " << c.value;
  // What stands is valid, and so is every beginning of it.
  for (std::size_t n = 0; n <= typed.shown.size(); ++n) {
    EXPECT_TRUE(screen::check_entry(std::string_view(typed.shown).substr(0, n)).valid) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryRulesTest, testing::ValuesIn(entrytest::entry_cases()),
                         [](const auto& info) {
                           return testnames::readable(info.index, info.param.keys);
                         });

}  // namespace
