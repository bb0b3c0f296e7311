#include "app/window_settings.h"

#include "core/settings.h"

#include <string>

namespace vamu::app {
using namespace vamu::core;  // the settings file

int backgroundSetting() { return readSettingInt(setting::kBackground); }

void storeBackground(int index) { writeSetting(setting::kBackground, std::to_string(index), CreateFolder::Yes); }

int nowPlayingTopSetting() { return readSettingInt(setting::kNowPlayingTop); }

void storeNowPlayingTop(int top) { writeSetting(setting::kNowPlayingTop, std::to_string(top), CreateFolder::Yes); }

}  // namespace vamu::app
