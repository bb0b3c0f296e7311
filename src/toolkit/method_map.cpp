#include "toolkit/method_map.h"

#include "toolkit/key_atoms.h"
#include "toolkit/legacy_text.h"
#include "toolkit/theme_names.h"

#include <pugixml.hpp>

#include <charconv>
#include <unordered_set>

namespace vamu::toolkit {

namespace {

constexpr std::size_t kMaxStoredSize = 1u << 20;
constexpr std::size_t kMaxClasses = 256;
constexpr std::size_t kMaxMethodsPerClass = 1024;
constexpr int kMaxArgumentType = static_cast<int>(ArgumentType::ByteString);

using NameSet = std::unordered_set<std::string, CaseInsensitiveHash, CaseInsensitiveEqual>;

std::optional<int> parseIndex(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<MethodInfo> parseMethod(const pugi::xml_node& node) {
    MethodInfo method;
    method.name = node.attribute("Name").value();
    const std::optional<int> index = parseIndex(node.attribute("Index").value());
    auto arguments = parseArgumentTypes(node.attribute("Type").value());
    if (method.name.empty() || !index || !arguments) return std::nullopt;
    method.index = *index;
    method.arguments = std::move(*arguments);
    if (std::string_view(node.attribute("Call").value()) == "1") method.applyTime = ApplyTime::BeforeCreation;
    return method;
}

std::optional<ClassInfo> parseClass(const pugi::xml_node& node) {
    ClassInfo info;
    info.name = node.attribute("Name").value();
    info.baseClass = node.attribute("BaseClass").value();
    if (info.name.empty()) return std::nullopt;
    if (const pugi::xml_attribute count = node.attribute("Count")) {
        info.slotCount = parseIndex(count.value());
        if (!info.slotCount) return std::nullopt;
    }
    NameSet names;
    std::unordered_set<int> indexes;
    for (const pugi::xml_node& child : node.children("Method")) {
        std::optional<MethodInfo> method = parseMethod(child);
        if (!method || info.methods.size() >= kMaxMethodsPerClass || !indexes.insert(method->index).second ||
            !names.insert(method->name).second)
            return std::nullopt;
        info.methods.push_back(std::move(*method));
    }
    return info;
}

}  // namespace

std::optional<std::vector<MethodArgument>> parseArgumentTypes(std::string_view types) {
    std::vector<MethodArgument> arguments;
    while (!types.empty()) {
        if (types.front() != '@') return std::nullopt;
        types.remove_prefix(1);
        int number = 0;
        const auto [end, error] = std::from_chars(types.data(), types.data() + types.size(), number);
        if (error != std::errc{} || number < 1 || number > kMaxArgumentType) return std::nullopt;
        types.remove_prefix(static_cast<std::size_t>(end - types.data()));
        MethodArgument argument{static_cast<ArgumentType>(number), false};
        if (!types.empty() && types.front() == '#') {
            argument.optional = true;
            types.remove_prefix(1);
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::optional<MethodMap> MethodMap::parse(std::span<const std::byte> stored) {
    if (stored.size() > kMaxStoredSize) return std::nullopt;
    const std::optional<std::string> text =
        gbToUtf8(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
    if (!text) return std::nullopt;
    pugi::xml_document document;
    const auto parsed = document.load_buffer(text->data(), text->size(), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node root = document.document_element();
    if (!parsed || std::string_view(root.name()) != theme::kMethodMapRoot) return std::nullopt;

    MethodMap map;
    for (const pugi::xml_node& node : root.children("Class")) {
        std::optional<ClassInfo> info = parseClass(node);
        if (!info || map.m_classes.size() >= kMaxClasses ||
            !map.m_byName.emplace(info->name, map.m_classes.size()).second)
            return std::nullopt;
        map.m_classes.push_back(std::move(*info));
    }
    // Every base must exist and no chain may loop: a chain longer than the number of
    // classes has met a class twice.
    for (const ClassInfo& info : map.m_classes) {
        std::size_t steps = 0;
        for (const ClassInfo* at = &info; !at->baseClass.empty(); ++steps) {
            at = map.findClass(at->baseClass);
            if (!at || steps >= map.m_classes.size()) return std::nullopt;
        }
    }
    return map;
}

const ClassInfo* MethodMap::findClass(std::string_view name) const {
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : &m_classes[it->second];
}

std::vector<const ClassInfo*> MethodMap::lineage(std::string_view className) const {
    std::vector<const ClassInfo*> chain;
    // parse() has ruled out unknown bases and loops.
    for (const ClassInfo* at = findClass(className); at;
         at = at->baseClass.empty() ? nullptr : findClass(at->baseClass))
        chain.push_back(at);
    return chain;
}

const MethodInfo* MethodMap::findMethod(std::string_view className, std::string_view methodName) const {
    const CaseInsensitiveEqual equal;
    for (const ClassInfo* info : lineage(className)) {
        for (const MethodInfo& method : info->methods) {
            if (equal(method.name, methodName)) return &method;
        }
    }
    return nullptr;
}

const MethodInfo* MethodMap::findMethodAt(std::string_view className, int index) const {
    const ClassInfo* info = findClass(className);
    if (!info) return nullptr;
    for (const MethodInfo& method : info->methods) {
        if (method.index == index) return &method;
    }
    return nullptr;
}

}  // namespace vamu::toolkit
