// The window map: sorted pairs, exact lookup, replacement, removal with
// shifting and the growth policy, checked against std::map on random work
// (which covers lookups of absent neighbours and removal order), plus the
// cases random work does not reach.
#include "windowborder/window_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>

namespace {

using zvt::border::WindowMap;
using Handle = WindowMap<int>::Handle;

void expectSorted(const WindowMap<int>& map) {
  for (std::size_t i = 1; i < map.size(); ++i) {
    EXPECT_LT(map.handleAt(i - 1), map.handleAt(i)) << "at " << i;
  }
}

TEST(WindowBorderMap, HandlesWithTheTopBitSetSortAsUnsignedValues) {
  // 64-bit window handles are sign-extended 32-bit values; a signed
  // comparison would put them first and break the binary search.
  const Handle high = ~static_cast<Handle>(0) - 0x1233;
  const Handle max = ~static_cast<Handle>(0);
  WindowMap<int> map;
  ASSERT_TRUE(map.insert(max, 1));
  ASSERT_TRUE(map.insert(0x10, 2));
  ASSERT_TRUE(map.insert(high, 3));
  ASSERT_TRUE(map.insert(0, 4));
  expectSorted(map);
  EXPECT_EQ(0u, map.handleAt(0));
  EXPECT_EQ(max, map.handleAt(3));
  EXPECT_EQ(1, map.find(max));
  EXPECT_EQ(3, map.find(high));
  EXPECT_EQ(4, map.find(0));
}

TEST(WindowBorderMap, GrowsToTheNeededCountPlusTen) {
  WindowMap<int> map;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(map.insert(static_cast<Handle>(1000 - i), i));
  EXPECT_EQ(20u, map.room());
  ASSERT_TRUE(map.insert(5, 20));
  EXPECT_EQ(31u, map.room());
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(map.insert(static_cast<Handle>(10 + i), i));
  EXPECT_EQ(31u, map.room());
  ASSERT_TRUE(map.insert(2000, 0));
  EXPECT_EQ(42u, map.room());
  // Replacing needs no room; removing does not shrink.
  ASSERT_TRUE(map.insert(2000, 1));
  EXPECT_EQ(42u, map.room());
  for (int i = 0; i < 10; ++i) map.take(static_cast<Handle>(10 + i));
  EXPECT_EQ(42u, map.room());
  expectSorted(map);
  EXPECT_EQ(22u, map.size());
}

TEST(WindowBorderMap, TakenStatesHaveNoOwnerLeftInTheMap) {
  // The launcher stores shared states: one left behind in a vacated slot
  // would keep a window's Java reference alive.
  WindowMap<std::shared_ptr<int>> map;
  auto a = std::make_shared<int>(1);
  auto b = std::make_shared<int>(2);
  ASSERT_TRUE(map.insert(0x10, a));
  ASSERT_TRUE(map.insert(0x20, b));
  EXPECT_EQ(2, a.use_count());
  {
    std::shared_ptr<int> found = map.find(0x10);
    EXPECT_EQ(3, a.use_count());
  }
  std::shared_ptr<int> taken = map.take(0x10);
  EXPECT_EQ(2, a.use_count());  // `a` and `taken`
  taken.reset();
  EXPECT_EQ(1, a.use_count());
  ASSERT_TRUE(map.insert(0x20, a));  // replacing lets go of the old state
  EXPECT_EQ(1, b.use_count());
  map.take(0x20);
  EXPECT_EQ(1, a.use_count());
}

TEST(WindowBorderMap, AgreesWithAnOrderedMapOnRandomWork) {
  std::mt19937 random(20240611);
  // Few distinct handles, so inserts replace and removals hit often; the
  // extremes are among them.
  std::uniform_int_distribution<int> pick(0, 79);
  auto handleOf = [](int n) -> Handle {
    if (n == 0) return 0;
    if (n == 1) return ~static_cast<Handle>(0);
    return static_cast<Handle>(n) * 0x10000 + 4;
  };
  WindowMap<int> map;
  std::map<Handle, int> model;
  std::size_t expectedRoom = 20;
  for (int step = 0; step < 20000; ++step) {
    Handle h = handleOf(pick(random));
    switch (step % 3) {
      case 0:
      case 1: {
        bool fresh = model.count(h) == 0;
        ASSERT_TRUE(map.insert(h, step));
        model[h] = step;
        if (fresh && model.size() > expectedRoom) expectedRoom = model.size() + 10;
        break;
      }
      default: {
        auto it = model.find(h);
        int want = it == model.end() ? 0 : it->second;
        ASSERT_EQ(want, map.take(h)) << "step " << step;
        if (it != model.end()) model.erase(it);
        break;
      }
    }
    ASSERT_EQ(model.size(), map.size()) << "step " << step;
    ASSERT_EQ(expectedRoom, map.room()) << "step " << step;
    ASSERT_EQ(model.count(h) ? model[h] : 0, map.find(h)) << "step " << step;
  }
  std::size_t i = 0;
  for (const auto& pair : model) {
    ASSERT_EQ(pair.first, map.handleAt(i++));
    ASSERT_EQ(pair.second, map.find(pair.first));
  }
}

}  // namespace
