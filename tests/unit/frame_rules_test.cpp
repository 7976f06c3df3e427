// Rules of the border window procedure: the client rectangle of a window
// without a system caption, auto-hide edges and message points. (The resize
// band and the system menu states are checked on real windows under Wine.)
#include "windowborder/frame_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace zvt::border;

std::string show(const Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

bool same(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

AutoHideEdges edges(bool top, bool bottom, bool left, bool right) {
  AutoHideEdges e;
  e.top = top;
  e.bottom = bottom;
  e.left = left;
  e.right = right;
  return e;
}

TEST(BorderClientRect, FollowsTheWindowState) {
  // What the previous procedure computed for a window at (100,100)-(500,400)
  // with a 4-pixel frame and a 19-pixel caption.
  const Rect computed{104, 123, 496, 396};
  struct Case {
    const char* what;
    bool maximized;
    bool fullscreen;
    AutoHideEdges autoHide;
    Rect want;
  } cases[] = {
      {"normal: caption and top frame gone, other edges kept", false, false, {}, {104, 100, 496, 396}},
      {"normal with auto-hide bars: no free pixel", false, false, edges(true, true, true, true), {104, 100, 496, 396}},
      {"maximised: top edge below the screen edge", true, false, {}, {104, 108, 496, 396}},
      {"maximised, full screen: nothing kept back", true, true, edges(false, true, false, false), {104, 100, 496, 396}},
      {"maximised, bottom bar", true, false, edges(false, true, false, false), {104, 108, 496, 395}},
      {"maximised, top bar", true, false, edges(true, false, false, false), {104, 109, 496, 396}},
      {"maximised, left bar", true, false, edges(false, false, true, false), {105, 108, 496, 396}},
      {"maximised, right bar", true, false, edges(false, false, false, true), {104, 108, 495, 396}},
      {"maximised, all bars", true, false, edges(true, true, true, true), {105, 109, 495, 395}},
  };
  for (const Case& c : cases) {
    ClientAreaInput in;
    in.computed = computed;
    in.originalTop = 100;
    in.maximized = c.maximized;
    in.fullscreen = c.fullscreen;
    in.frameThickness = 8;
    in.autoHide = c.autoHide;
    Rect got = borderClientRect(in);
    EXPECT_TRUE(same(c.want, got)) << c.what << ": want " << show(c.want) << " got " << show(got);
  }
}

TEST(AutoHideEdgesRule, PerEdgeAnswersWinAndTheTaskbarFillsIn) {
  AppBarReport none;
  EXPECT_FALSE(autoHideEdges(none).any());

  // Bars reported on edges count only while the taskbar state says
  // auto-hide, as the shell is asked only then.
  AppBarReport notAutoHide;
  notAutoHide.perEdge = edges(false, true, false, false);
  notAutoHide.taskbarOnMonitor = true;
  EXPECT_FALSE(autoHideEdges(notAutoHide).any());

  AppBarReport perEdge;
  perEdge.autoHide = true;
  perEdge.perEdge = edges(false, false, true, false);
  perEdge.taskbarOnMonitor = true;
  perEdge.taskbarEdge = ScreenEdge::Bottom;
  AutoHideEdges got = autoHideEdges(perEdge);
  EXPECT_TRUE(got.left);
  EXPECT_FALSE(got.bottom) << "the taskbar's own edge is only asked when no edge answered";

  struct Case {
    ScreenEdge edge;
    AutoHideEdges want;
  } taskbar[] = {
      {ScreenEdge::Top, edges(true, false, false, false)},
      {ScreenEdge::Bottom, edges(false, true, false, false)},
      {ScreenEdge::Left, edges(false, false, true, false)},
      {ScreenEdge::Right, edges(false, false, false, true)},
  };
  for (const Case& c : taskbar) {
    AppBarReport r;
    r.autoHide = true;
    r.taskbarOnMonitor = true;
    r.taskbarEdge = c.edge;
    AutoHideEdges e = autoHideEdges(r);
    EXPECT_EQ(c.want.top, e.top);
    EXPECT_EQ(c.want.bottom, e.bottom);
    EXPECT_EQ(c.want.left, e.left);
    EXPECT_EQ(c.want.right, e.right);
  }

  AppBarReport elsewhere;
  elsewhere.autoHide = true;
  elsewhere.taskbarOnMonitor = false;  // the taskbar is on another monitor
  EXPECT_FALSE(autoHideEdges(elsewhere).any());

  AppBarReport unknownEdge;
  unknownEdge.autoHide = true;
  unknownEdge.taskbarOnMonitor = true;
  unknownEdge.taskbarEdge = static_cast<ScreenEdge>(7);
  EXPECT_FALSE(autoHideEdges(unknownEdge).any());
}

TEST(MessagePoint, SignedWordsOfTheLowDoubleWord) {
  struct Case {
    uint64_t lParam;
    int32_t x;
    int32_t y;
  } cases[] = {
      {0x00000000, 0, 0},
      {0x01F40064, 100, 500},
      {0xFFF6FFCE, -50, -10},  // a monitor left of and above the primary one
      {0x80007FFF, 32767, -32768},
      {0xFFFFFFFFFFF6FFCEull, -50, -10},  // a 32-bit lParam sign-extended to 64 bits
      {0x12345678000A0014ull, 20, 10},    // upper bits are not part of the point
  };
  for (const Case& c : cases) {
    Point p = pointOfMessage(c.lParam);
    EXPECT_EQ(c.x, p.x) << std::hex << c.lParam;
    EXPECT_EQ(c.y, p.y) << std::hex << c.lParam;
  }
}

}  // namespace
