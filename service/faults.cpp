#include "faults.h"

#include "whole_number.h"

#include <algorithm>
#include <array>

namespace vamu::service {
namespace {

struct KindName {
    FaultKind kind;
    std::string_view name;
};
constexpr std::array kKindNames = {
    KindName{FaultKind::HtmlPage, "html"},
    KindName{FaultKind::BrokenJson, "broken-json"},
    KindName{FaultKind::EmptyBody, "empty"},
    KindName{FaultKind::Drop, "drop"},
    KindName{FaultKind::Oversized, "oversized"},
    KindName{FaultKind::Delay, "delay"},
    KindName{FaultKind::Status, "status"},
    KindName{FaultKind::StateText, "state-text"},
    KindName{FaultKind::StateMissing, "state-missing"},
    KindName{FaultKind::NoSources, "no-sources"},
};

// Splits "name:argument" at the first colon.
std::pair<std::string_view, std::string_view> nameAndArgument(std::string_view mode) {
    const auto colon = mode.find(':');
    if (colon == std::string_view::npos) return {mode, {}};
    return {mode.substr(0, colon), mode.substr(colon + 1)};
}

std::optional<Fault> parseFault(std::string_view mode, std::string& error) {
    Fault fault;
    if (const auto star = mode.rfind('*'); star != std::string_view::npos) {
        const auto count = wholeNumber(mode.substr(star + 1), 1, 1'000'000);
        if (!count) {
            error = "the count after * must be a whole number from 1";
            return std::nullopt;
        }
        fault.remaining = static_cast<int>(*count);
        mode = mode.substr(0, star);
    }
    // Plain variables, not structured bindings: clang 14 refuses lambdas that capture those.
    const auto parts = nameAndArgument(mode);
    const std::string_view name = parts.first;
    const std::string_view argument = parts.second;
    const auto* known =
        std::find_if(kKindNames.begin(), kKindNames.end(), [&](const KindName& k) { return k.name == name; });
    if (known == kKindNames.end()) {
        error = "unknown fault \"" + std::string(name) + "\"";
        return std::nullopt;
    }
    fault.kind = known->kind;
    const auto needs = [&](std::int64_t low, std::int64_t high, std::optional<std::int64_t> fallback) -> bool {
        if (argument.empty() && fallback) {
            fault.argument = *fallback;
            return true;
        }
        const auto value = wholeNumber(argument, low, high);
        if (!value) {
            error =
                std::string(name) + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high);
            return false;
        }
        fault.argument = *value;
        return true;
    };
    switch (fault.kind) {
    case FaultKind::Oversized:
        if (!needs(1, kMaxOversizedBytes, kDefaultOversizedBytes)) return std::nullopt;
        break;
    case FaultKind::Delay:
        if (!needs(0, kMaxDelayMilliseconds, std::nullopt)) return std::nullopt;
        break;
    case FaultKind::Status:
        if (!needs(200, 599, std::nullopt)) return std::nullopt;
        break;
    default:
        if (!argument.empty()) {
            error = std::string(name) + " takes no argument";
            return std::nullopt;
        }
    }
    return fault;
}

}  // namespace

std::optional<EndpointRule> parseEndpointRule(std::string_view text, std::string& error) {
    // Keys may hold "=" ("/vamu.php?do=xt"); modes never do, so the last "=" splits.
    const auto equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = "an endpoint rule is KEY=MODE";
        return std::nullopt;
    }
    EndpointRule rule{std::string(text.substr(0, equals)), std::nullopt};
    if (rule.key != "*" && rule.key.front() != '/') {
        error = "an endpoint key is a path starting with / or *";
        return std::nullopt;
    }
    const auto mode = text.substr(equals + 1);
    if (mode == "none") return rule;
    rule.fault = parseFault(mode, error);
    if (!rule.fault) return std::nullopt;
    return rule;
}

std::optional<StreamRule> parseStreamRule(std::string_view text, std::string& error) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "a stream rule is SONG=MODE";
        return std::nullopt;
    }
    StreamRule rule;
    const auto song = text.substr(0, equals);
    if (song != "all") {
        const auto id = wholeNumber(song, 1, INT64_MAX);
        if (!id) {
            error = "a stream rule's song is a song id or all";
            return std::nullopt;
        }
        rule.song = *id;
    }
    const auto mode = text.substr(equals + 1);
    if (mode == "none") return rule;
    const auto [name, argument] = nameAndArgument(mode);
    StreamFault fault;
    if (name == "throttle" && argument == "real") {
        fault.kind = StreamFaultKind::ThrottleReal;
    } else if (name == "throttle" || name == "stall" || name == "drop") {
        // A stall or a drop may come at once (0 bytes); a throttle needs some rate.
        const auto bytes = wholeNumber(argument, name == "throttle" ? 1 : 0, INT64_MAX);
        if (!bytes) {
            error = std::string(name) + " needs a number of bytes";
            return std::nullopt;
        }
        const StreamFaultKind kind = name == "stall"  ? StreamFaultKind::Stall
                                     : name == "drop" ? StreamFaultKind::Drop
                                                      : StreamFaultKind::Throttle;
        fault = {kind, *bytes};
    } else {
        error = "unknown stream fault \"" + std::string(name) + "\"";
        return std::nullopt;
    }
    rule.fault = fault;
    return rule;
}

std::string describeFault(const Fault& fault) {
    const auto* known =
        std::find_if(kKindNames.begin(), kKindNames.end(), [&](const KindName& k) { return k.kind == fault.kind; });
    std::string text(known->name);
    if (fault.kind == FaultKind::Oversized || fault.kind == FaultKind::Delay || fault.kind == FaultKind::Status) {
        text += ":" + std::to_string(fault.argument);
    }
    if (fault.remaining >= 0) text += "*" + std::to_string(fault.remaining);
    return text;
}

std::string describeStreamFault(const StreamFault& fault) {
    switch (fault.kind) {
    case StreamFaultKind::Throttle:
        return "throttle:" + std::to_string(fault.bytes);
    case StreamFaultKind::ThrottleReal:
        return "throttle:real";
    case StreamFaultKind::Stall:
        return "stall:" + std::to_string(fault.bytes);
    case StreamFaultKind::Drop:
        return "drop:" + std::to_string(fault.bytes);
    }
    return {};
}

void FaultTable::apply(const EndpointRule& rule) {
    std::lock_guard lock(m_mutex);
    if (rule.fault) {
        m_endpoints[rule.key] = *rule.fault;
    } else {
        m_endpoints.erase(rule.key);
    }
}

void FaultTable::apply(const StreamRule& rule) {
    std::lock_guard lock(m_mutex);
    if (rule.fault) {
        m_streams[rule.song] = *rule.fault;
    } else {
        m_streams.erase(rule.song);
    }
}

void FaultTable::clear() {
    std::lock_guard lock(m_mutex);
    m_endpoints.clear();
    m_streams.clear();
}

std::optional<Fault> FaultTable::take(std::span<const std::string> keys) {
    std::lock_guard lock(m_mutex);
    if (m_endpoints.empty()) return std::nullopt;
    auto found = m_endpoints.end();
    for (const auto& key : keys) {
        if (found = m_endpoints.find(key); found != m_endpoints.end()) break;
    }
    if (found == m_endpoints.end()) found = m_endpoints.find("*");
    if (found == m_endpoints.end()) return std::nullopt;
    const Fault fault = found->second;
    if (found->second.remaining > 0 && --found->second.remaining == 0) m_endpoints.erase(found);
    return fault;
}

std::optional<StreamFault> FaultTable::stream(Id song) const {
    std::lock_guard lock(m_mutex);
    if (const auto it = m_streams.find(song); it != m_streams.end()) return it->second;
    if (const auto it = m_streams.find(0); it != m_streams.end()) return it->second;
    return std::nullopt;
}

std::string FaultTable::describe() const {
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const auto& [key, fault] : m_endpoints) text += "fault " + key + "=" + describeFault(fault) + "\n";
    for (const auto& [song, fault] : m_streams) {
        text += "stream " + (song == 0 ? std::string("all") : std::to_string(song)) + "=" + describeStreamFault(fault) +
                "\n";
    }
    return text;
}

}  // namespace vamu::service
