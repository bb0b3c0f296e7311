#include "toolkit/engine.h"

#include "toolkit/easing.h"
#include "toolkit/theme_engine.h"
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

const ThemePack* currentResourcePack() {
    if (state().current) return state().current;
    // A pack selected through the theme engine stays alive while it is selected.
    return toolkit::currentResourcePack().get();
}

std::optional<std::string> getPackText(const ThemePack* pack, std::string_view element, std::string_view key) {
    return toolkit::getPackText(pack, element, key);
}

std::optional<QRect> getPackRect(const ThemePack* pack, std::string_view element, std::string_view key) {
    return toolkit::getPackRect(pack, element, key);
}

std::optional<PackImageRect> getPackImageRect(const ThemePack* pack, std::string_view element, std::string_view key) {
    const auto found = toolkit::getPackImageRect(pack, element, key);
    if (!found) return std::nullopt;
    return PackImageRect{found->source, found->imageIndex};
}

std::optional<long long> getPackNumber(const ThemePack* pack, std::string_view element, std::string_view key) {
    if (!pack) return std::nullopt;
    return pack->number(element, key);
}

const QImage* getPackImage(const ThemePack* pack, int index) {
    const QImage* image = toolkit::getPackImage(pack, index);
    return image && !image->isNull() ? image : nullptr;
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
    // Curves outside the table run linearly; results outside 0..1 are clamped.
    const double eased = easeValue(curve, 0.0, 1.0, t).value_or(t);
    return std::clamp(eased, 0.0, 1.0);
}

}  // namespace vamu::toolkit::engine
