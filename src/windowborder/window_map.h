// The map from a window handle to the border state of that window: an array
// of (handle, state) pairs kept sorted by handle value and searched by binary
// search with exact comparison. It starts with room for 20 pairs and, when an
// insert needs more, grows to the needed count plus 10. Not locked: the Win32
// side holds one critical section around every operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace zvt::border {

constexpr std::size_t kWindowMapInitialRoom = 20;
constexpr std::size_t kWindowMapGrowthSlack = 10;

// Room after an insert that needs `needed` pairs in an array of `room`.
constexpr std::size_t windowMapRoomFor(std::size_t needed, std::size_t room) {
  return needed <= room ? room : needed + kWindowMapGrowthSlack;
}

// `State` is copied out by find and take (a shared pointer in the launcher).
template <typename State>
class WindowMap {
 public:
  using Handle = std::uintptr_t;

  WindowMap() : entries_(new (std::nothrow) Entry[kWindowMapInitialRoom]) {
    if (entries_) room_ = kWindowMapInitialRoom;
  }
  WindowMap(const WindowMap&) = delete;
  WindowMap& operator=(const WindowMap&) = delete;

  // The state stored under `handle`, or a default State when there is none.
  State find(Handle handle) const {
    std::size_t at = lowerBound(handle);
    return at < count_ && entries_[at].handle == handle ? entries_[at].state : State();
  }

  bool contains(Handle handle) const {
    std::size_t at = lowerBound(handle);
    return at < count_ && entries_[at].handle == handle;
  }

  // Stores `state` under `handle`, replacing a state already there. False
  // only when the array cannot grow (the map is then unchanged).
  bool insert(Handle handle, State state) {
    std::size_t at = lowerBound(handle);
    if (at < count_ && entries_[at].handle == handle) {
      entries_[at].state = std::move(state);
      return true;
    }
    if (!makeRoomFor(count_ + 1)) return false;
    for (std::size_t i = count_; i > at; --i) entries_[i] = std::move(entries_[i - 1]);
    entries_[at].handle = handle;
    entries_[at].state = std::move(state);
    ++count_;
    return true;
  }

  // Removes the pair of `handle` and hands its state to the caller (a
  // default State when there was none). Later pairs shift down by one.
  State take(Handle handle) {
    std::size_t at = lowerBound(handle);
    if (at >= count_ || entries_[at].handle != handle) return State();
    State taken = std::move(entries_[at].state);
    for (std::size_t i = at + 1; i < count_; ++i) entries_[i - 1] = std::move(entries_[i]);
    --count_;
    // The vacated slot must not keep a second owner of the last state.
    entries_[count_] = Entry();
    return taken;
  }

  std::size_t size() const { return count_; }
  std::size_t room() const { return room_; }
  Handle handleAt(std::size_t index) const { return entries_[index].handle; }

 private:
  struct Entry {
    Handle handle = 0;
    State state{};
  };

  // First index whose handle is not below `handle`.
  std::size_t lowerBound(Handle handle) const {
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
      std::size_t mid = low + (high - low) / 2;
      if (entries_[mid].handle < handle) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    return low;
  }

  bool makeRoomFor(std::size_t needed) {
    // A map whose first array could not be had starts over from 20.
    std::size_t room = windowMapRoomFor(needed, room_ == 0 ? kWindowMapInitialRoom : room_);
    if (room == room_) return true;
    // No exceptions out of here: an install that cannot grow the map is
    // refused instead.
    std::unique_ptr<Entry[]> grown(new (std::nothrow) Entry[room]);
    if (!grown) return false;
    for (std::size_t i = 0; i < count_; ++i) grown[i] = std::move(entries_[i]);
    entries_ = std::move(grown);
    room_ = room;
    return true;
  }

  std::unique_ptr<Entry[]> entries_;
  std::size_t count_ = 0;
  std::size_t room_ = 0;
};

}  // namespace zvt::border
