#include "toolkit/engine.h"

#include "toolkit/theme_pack.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>

namespace vamu::toolkit::engine {
namespace {

struct State {
    const ThemePack* current = nullptr;
    std::map<std::string, int, std::less<>> classes;
    std::unordered_map<std::uint32_t, std::map<std::string, std::string, std::less<>>> attributes;
};

State& state() {
    static State instance;
    return instance;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

}  // namespace

void selectResourcePack(const ThemePack* pack) { state().current = pack; }
const ThemePack* currentResourcePack() { return state().current; }

std::optional<std::string> getPackText(const ThemePack* pack, std::string_view element, std::string_view key) {
    if (!pack) return std::nullopt;
    return pack->text(element, key);
}

std::optional<QRect> getPackRect(const ThemePack* pack, std::string_view element, std::string_view key) {
    if (!pack) return std::nullopt;
    return pack->rect(element, key);
}

std::optional<PackImageRect> getPackImageRect(const ThemePack* pack, std::string_view element, std::string_view key) {
    if (!pack) return std::nullopt;
    const std::optional<QRectF> rect = pack->rectF(element, key);
    if (!rect) return std::nullopt;
    return PackImageRect{*rect, 0};
}

std::optional<long long> getPackNumber(const ThemePack* pack, std::string_view element, std::string_view key) {
    if (!pack) return std::nullopt;
    return pack->number(element, key);
}

const QImage* getPackImage(const ThemePack* pack, int index) {
    if (!pack || index != 0 || pack->atlas().isNull()) return nullptr;
    return &pack->atlas();
}

void registerClass(std::string_view name, int kind) { state().classes[upper(name)] = kind; }

std::optional<int> classKind(std::string_view name) {
    const auto& classes = state().classes;
    const auto it = classes.find(upper(name));
    if (it == classes.end()) return std::nullopt;
    return it->second;
}

void setControlAttribute(ControlHandle control, std::string_view name, std::string_view value, bool firstPass) {
    if (!control) return;
    auto& store = state().attributes[control.value];
    // The second pass may not overwrite what the class changed after the first.
    if (firstPass || !store.contains(name)) store[std::string(name)] = std::string(value);
}

std::optional<std::string> controlAttribute(ControlHandle control, std::string_view name) {
    const auto& attributes = state().attributes;
    const auto it = attributes.find(control.value);
    if (it == attributes.end()) return std::nullopt;
    const auto found = it->second.find(name);
    if (found == it->second.end()) return std::nullopt;
    return found->second;
}

void forgetControlAttributes(ControlHandle control) { state().attributes.erase(control.value); }

double easeProgress(int curve, double t) {
    (void)curve;
    return std::clamp(t, 0.0, 1.0);
}

}  // namespace vamu::toolkit::engine
