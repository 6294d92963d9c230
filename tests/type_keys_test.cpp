// The table of type keys: numbers in the order keys are first met, each key given back, and two
// tables made one as a template read in two parts is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/type_keys.h"

namespace quarnel {
namespace {

// Short keys (up to eight bytes) and long ones, enough of each for the tables to grow.
std::vector<std::string> Keys(int from, int to) {
  std::vector<std::string> keys;
  for (int i = from; i < to; ++i) {
    keys.push_back(std::to_string(i) + " s");
    keys.push_back("long-id-" + std::to_string(i) + " 2");
  }
  return keys;
}

TEST(TypeKeys, NumbersKeysInOrderAndGivesThemBack) {
  TypeKeys keys;
  const auto all = Keys(0, 3'000);
  for (std::size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(keys.FindOrAdd(all[i]), static_cast<int>(i)) << all[i];
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(keys.FindOrAdd(all[i]), static_cast<int>(i));
    EXPECT_EQ(keys.Key(static_cast<int>(i)), all[i]);
  }
  EXPECT_EQ(keys.Find("3000 s"), TypeKeys::kAbsent);
  EXPECT_EQ(keys.Find("long-id-3000 2"), TypeKeys::kAbsent);
}

TEST(TypeKeys, FindOrAddAllNumbersTheOtherTablesKeysHere) {
  TypeKeys first;
  TypeKeys second;
  for (const auto& key : Keys(0, 2'000)) first.FindOrAdd(key);
  for (const auto& key : Keys(1'000, 4'000)) second.FindOrAdd(key);
  const std::vector<std::uint32_t> numbers = first.FindOrAddAll(second);
  ASSERT_EQ(numbers.size(), static_cast<std::size_t>(second.Size()));
  for (int n = 0; n < second.Size(); ++n) {
    EXPECT_EQ(first.Key(static_cast<int>(numbers[static_cast<std::size_t>(n)])), second.Key(n));
  }
  // Keys the first table lacked follow its own, in the second table's order.
  EXPECT_EQ(first.Size(), 8'000);
  EXPECT_EQ(numbers[2'000], 4'000u);
  EXPECT_EQ(first.Key(4'001), "long-id-2000 2");
}

}  // namespace
}  // namespace quarnel
