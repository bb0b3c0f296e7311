#pragma once
// The settings keys the windows start from and write, read in one place.

#include <string_view>

namespace vamu::app {

// 背景: the background picture's number (any value; outside 0..4 means none).
[[nodiscard]] int backgroundSetting();
void storeBackground(int index);
// 提示顶边: the now-playing window's top; 0 means the default place.
[[nodiscard]] int nowPlayingTopSetting();
void storeNowPlayingTop(int top);

}  // namespace vamu::app
