#include "windowborder/frame_rules.h"

namespace zvt::border {

AutoHideEdges autoHideEdges(const AppBarReport& report) {
  if (!report.autoHide) return AutoHideEdges();
  if (report.perEdge.any() || !report.taskbarOnMonitor) return report.perEdge;
  AutoHideEdges edges;
  switch (report.taskbarEdge) {
    case ScreenEdge::Top:
      edges.top = true;
      break;
    case ScreenEdge::Bottom:
      edges.bottom = true;
      break;
    case ScreenEdge::Left:
      edges.left = true;
      break;
    case ScreenEdge::Right:
      edges.right = true;
      break;
  }
  return edges;
}

Rect borderClientRect(const ClientAreaInput& input) {
  Rect r = input.computed;
  r.top = input.originalTop;
  if (!input.maximized || input.fullscreen) return r;
  r.top += input.frameThickness;
  if (input.autoHide.top) r.top += 1;
  if (input.autoHide.bottom) r.bottom -= 1;
  if (input.autoHide.left) r.left += 1;
  if (input.autoHide.right) r.right -= 1;
  return r;
}

Point pointOfMessage(uint64_t lParam) {
  Point p;
  p.x = static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF));
  p.y = static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
  return p;
}

bool isOnResizeBorder(int32_t y, int32_t frameThickness, bool resizable) {
  return resizable && y < frameThickness;
}

int32_t hitTestWithoutJava(bool onResizeBorder) {
  return onResizeBorder ? kHitTop : kHitClient;
}

std::array<MenuItemRule, 6> systemMenuRules(const WindowTraits& w) {
  return {{
      {kCommandRestore, w.maximized},
      {kCommandMove, !w.maximized},
      {kCommandSize, w.resizable && !w.maximized},
      {kCommandMinimize, w.minimizeBox},
      {kCommandMaximize, w.maximizeBox && !w.maximized},
      {kCommandClose, true},
  }};
}

}  // namespace zvt::border
