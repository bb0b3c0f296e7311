#include "support/virtual_pointer.h"

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <string_view>

namespace vamu::test {
namespace {

constexpr std::uint32_t kLeftButton = 0x110;  // BTN_LEFT

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto** manager = static_cast<zwlr_virtual_pointer_manager_v1**>(data);
    if (std::string_view(interface) != zwlr_virtual_pointer_manager_v1_interface.name || *manager) return;
    *manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

}  // namespace

struct VirtualPointer::State {
    wl_display* display = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    zwlr_virtual_pointer_v1* pointer = nullptr;  // the compositor drops it with the connection
    std::uint32_t time = 0;
    ~State() {
        if (pointer) zwlr_virtual_pointer_v1_destroy(pointer);
        if (manager) zwlr_virtual_pointer_manager_v1_destroy(manager);
        if (display) wl_display_disconnect(display);
    }
};

VirtualPointer::VirtualPointer() : m_state(std::make_unique<State>()) {}
VirtualPointer::~VirtualPointer() = default;

std::string VirtualPointer::connect() {
    m_state->display = wl_display_connect(nullptr);
    if (!m_state->display) return "no Wayland compositor answers";
    wl_registry* registry = wl_display_get_registry(m_state->display);
    wl_registry_add_listener(registry, &kRegistryListener, &m_state->manager);
    wl_display_roundtrip(m_state->display);
    wl_registry_destroy(registry);
    if (!m_state->manager) return "the compositor offers no virtual pointers";
    m_state->pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_state->manager, nullptr);
    return wl_display_roundtrip(m_state->display) >= 0 ? std::string() : "the compositor refused a virtual pointer";
}

bool VirtualPointer::move(int x, int y, int width, int height) {
    State& state = *m_state;
    if (!state.pointer) return false;
    const auto u = [](int value) { return static_cast<std::uint32_t>(value); };
    zwlr_virtual_pointer_v1_motion_absolute(state.pointer, state.time += 10, u(x), u(y), u(width), u(height));
    zwlr_virtual_pointer_v1_frame(state.pointer);
    return wl_display_roundtrip(state.display) >= 0;
}

bool VirtualPointer::click() {
    State& state = *m_state;
    if (!state.pointer) return false;
    for (const auto button : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
        zwlr_virtual_pointer_v1_button(state.pointer, state.time += 10, kLeftButton, button);
        zwlr_virtual_pointer_v1_frame(state.pointer);
    }
    return wl_display_roundtrip(state.display) >= 0;
}

}  // namespace vamu::test
