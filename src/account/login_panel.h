#pragma once
// The controls of the account: the login panel of the "我喜欢的" tab, and what a
// login or logout shows or hides there. app/ fills it when it builds the main window;
// every pointer is valid while the main window lives. UI thread only.

#include "panel/panel_types.h"

namespace vamu::account {

struct LoginPanel {
    panel::HostWindow* window = nullptr;  // owner of message boxes and the registration window
    panel::GroupBox* panel = nullptr;     // "账号登陆", hidden at start
    panel::Edit* account = nullptr;
    panel::Edit* password = nullptr;          // InputType 32
    panel::Button* login = nullptr;           // "登陆"
    panel::CheckButton* autoLogin = nullptr;  // "自动登陆"
    panel::Link* registerLink = nullptr;      // "注册账号"
    panel::ListView* likes = nullptr;         // shown instead of the panel once logged in
    panel::GroupBox* searchBar = nullptr;     // shown with the likes list
    panel::Button* likesTab = nullptr;        // open when disabled
    panel::PopupMenu* likesMenu = nullptr;    // item panel::likes_menu::kLogout: "注销"
};

}  // namespace vamu::account
