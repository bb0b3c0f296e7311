#include "net/json_document.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "net/json_path.h"

namespace vamu::net {
namespace {

using Json = nlohmann::json;

// Replies of the service nest a few levels; the limit keeps hostile text from exhausting the
// stack of the recursive writers (dump, copy) later on.
constexpr int kMaxNesting = 512;
// An index write may grow an array up to this many elements.
constexpr std::size_t kMaxArrayLength = std::size_t{1} << 20;

bool nestingWithin(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// Strict JSON, or nothing.
std::optional<Json> parseJson(std::string_view text) {
    if (!nestingWithin(text, kMaxNesting)) {
        return std::nullopt;
    }
    Json value = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

// The value a writer stores: the text itself, or the JSON it holds.
std::optional<Json> valueFrom(std::string_view value, ValueForm form) {
    if (form == ValueForm::Text) {
        return Json(std::string(value));
    }
    return parseJson(value);
}

std::string indexName(std::size_t index) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, index);
    return std::string(buffer, result.ptr);
}

const Json* child(const Json& node, const JsonPathStep& step) {
    if (node.is_object()) {
        const auto& members = node.get_ref<const Json::object_t&>();
        const auto found =
            step.kind == JsonPathStep::Kind::Member ? members.find(step.name) : members.find(indexName(step.index));
        return found == members.end() ? nullptr : &found->second;
    }
    if (node.is_array() && step.kind == JsonPathStep::Kind::Index) {
        const auto& elements = node.get_ref<const Json::array_t&>();
        return step.index < elements.size() ? &elements[step.index] : nullptr;
    }
    return nullptr;
}

const Json* find(const Json& root, std::string_view path) {
    JsonPathReader reader(path);
    JsonPathStep step;
    const Json* node = &root;
    while (node != nullptr && reader.next(step)) {
        node = child(*node, step);
    }
    return reader.malformed() ? nullptr : node;
}

Json* find(Json& root, std::string_view path) { return const_cast<Json*>(find(std::as_const(root), path)); }

// The parent of the place `path` names, with the last step in `last`; null for the empty
// path, a malformed one, or a missing parent.
Json* findParent(Json& root, std::string_view path, JsonPathStep& last) {
    JsonPathReader reader(path);
    Json* node = &root;
    if (!reader.next(last)) {
        return nullptr;
    }
    while (!reader.atEnd()) {
        node = const_cast<Json*>(child(*node, last));
        if (node == nullptr || !reader.next(last)) {
            return nullptr;
        }
    }
    return node;
}

// Writes `value` at `step` of `parent`, where the parent can hold it.
void place(Json& parent, const JsonPathStep& step, Json value) {
    if (parent.is_object()) {
        auto& members = parent.get_ref<Json::object_t&>();
        if (step.kind == JsonPathStep::Kind::Member) {
            members.insert_or_assign(std::string(step.name), std::move(value));
        } else {
            members.insert_or_assign(indexName(step.index), std::move(value));
        }
    } else if (parent.is_array() && step.kind == JsonPathStep::Kind::Index && step.index < kMaxArrayLength) {
        auto& elements = parent.get_ref<Json::array_t&>();
        if (step.index >= elements.size()) {
            elements.resize(step.index + 1);
        }
        elements[step.index] = std::move(value);
    }
}

void setAt(Json& root, std::string_view path, std::optional<Json> value) {
    if (!value) {
        return;
    }
    if (path.empty()) {
        root = std::move(*value);
        return;
    }
    JsonPathStep last;
    if (Json* parent = findParent(root, path, last)) {
        place(*parent, last, std::move(*value));
    }
}

std::string numberText(const Json& value) {
    if (value.is_number_unsigned()) {
        return std::to_string(value.get<std::uint64_t>());
    }
    if (value.is_number_integer()) {
        return std::to_string(value.get<std::int64_t>());
    }
    const double number = value.get<double>();
    if (std::isnan(number)) {
        return "NaN";
    }
    if (std::isinf(number)) {
        return number > 0 ? "Infinity" : "-Infinity";
    }
    if (number == 0) {
        return "0";  // also for -0
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

std::string jsonText(const Json& value) {
    return value.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
}

std::string textOf(const Json* value, TextForm form) {
    if (value == nullptr) {
        return {};
    }
    if (form == TextForm::Json) {
        return jsonText(*value);
    }
    switch (value->type()) {
    case Json::value_t::string:
        return value->get_ref<const std::string&>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return numberText(*value);
    case Json::value_t::boolean:
        return value->get<bool>() ? "true" : "false";
    case Json::value_t::object:
    case Json::value_t::array:
        return jsonText(*value);
    default:
        return {};
    }
}

bool truthy(const Json& value) {
    switch (value.type()) {
    case Json::value_t::boolean:
        return value.get<bool>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: {
        const double number = value.get<double>();
        return number != 0 && !std::isnan(number);
    }
    case Json::value_t::string:
        return !value.get_ref<const std::string&>().empty();
    case Json::value_t::object:
    case Json::value_t::array:
        return true;
    default:
        return false;
    }
}

double numberFromText(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    double number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return 0;
    }
    return number;
}

const Json& nullJson() {
    static const Json kNull;
    return kNull;
}

}  // namespace

JsonDocument::JsonDocument() : m_value(std::make_unique<Json>(Json::object())) {}
JsonDocument::~JsonDocument() = default;
JsonDocument::JsonDocument(const JsonDocument& other) : m_value(std::make_unique<Json>(other.root())) {}
JsonDocument::JsonDocument(JsonDocument&& other) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept = default;

JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
    if (this != &other) {
        mutableRoot() = other.root();
    }
    return *this;
}

const Json& JsonDocument::root() const { return m_value ? *m_value : nullJson(); }

Json& JsonDocument::mutableRoot() {
    if (!m_value) {
        m_value = std::make_unique<Json>();
    }
    return *m_value;
}

bool JsonDocument::load(std::string_view text) {
    Json& value = mutableRoot();
    value = nullptr;
    if (auto parsed = parseJson(text)) {
        value = std::move(*parsed);
    }
    return !value.is_null();
}

std::string JsonDocument::serialize() const { return jsonText(root()); }

void JsonDocument::clear() { mutableRoot() = Json::object(); }

void JsonDocument::reset(ResetKind kind) {
    switch (kind) {
    case ResetKind::Null:
        mutableRoot() = nullptr;
        break;
    case ResetKind::EmptyObject:
        mutableRoot() = Json::object();
        break;
    case ResetKind::EmptyArray:
        mutableRoot() = Json::array();
        break;
    }
}

std::string JsonDocument::getText(std::string_view path, TextForm form) const {
    return textOf(find(root(), path), form);
}

std::string JsonDocument::getMemberJson(std::string_view path) const { return getText(path, TextForm::Json); }

double JsonDocument::getNumber(std::string_view path) const {
    const Json* value = find(root(), path);
    if (value == nullptr) {
        return 0;
    }
    if (value->is_number()) {
        return value->get<double>();
    }
    if (value->is_string()) {
        return numberFromText(value->get_ref<const std::string&>());
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? 1 : 0;
    }
    return 0;
}

int JsonDocument::countMembers(std::string_view path) const {
    const Json* value = find(root(), path);
    if (value == nullptr || !value->is_structured()) {
        return 0;
    }
    const std::size_t size = value->size();
    return size > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                            : static_cast<int>(size);
}

bool JsonDocument::hasMember(std::string_view path) const {
    const Json* value = find(root(), path);
    return value != nullptr && !value->is_null();
}

JsonKind JsonDocument::typeOf(std::string_view path) const {
    const Json* value = find(root(), path);
    if (value == nullptr || value->is_null()) {
        return JsonKind::Absent;
    }
    if (value->is_string()) {
        return JsonKind::String;
    }
    if (value->is_array()) {
        return JsonKind::Array;
    }
    if (value->is_object()) {
        return JsonKind::Object;
    }
    if (value->is_number()) {
        return JsonKind::Number;
    }
    return JsonKind::Other;
}

std::vector<std::string> JsonDocument::memberNames(std::string_view path) const {
    std::vector<std::string> names;
    const Json* value = find(root(), path);
    if (value == nullptr) {
        return names;
    }
    if (value->is_object()) {
        for (const auto& member : value->get_ref<const Json::object_t&>()) {
            names.push_back(member.first);
        }
    } else if (value->is_array()) {
        for (std::size_t i = 0; i < value->size(); ++i) {
            names.push_back(indexName(i));
        }
    }
    return names;
}

std::string JsonDocument::getElement(std::size_t index, std::string_view path, TextForm form) const {
    const Json* value = find(root(), path);
    if (value == nullptr) {
        return {};
    }
    return textOf(child(*value, JsonPathStep{JsonPathStep::Kind::Index, {}, index}), form);
}

JsonDocument JsonDocument::getDocument(std::string_view path) const {
    JsonDocument copy;
    const Json* value = find(root(), path);
    copy.mutableRoot() = value != nullptr ? *value : Json();
    return copy;
}

void JsonDocument::setMember(std::string_view path, std::string_view value, ValueForm form) {
    const std::string_view source = form == ValueForm::Raw && value.empty() ? std::string_view("{}") : value;
    setAt(mutableRoot(), path, valueFrom(source, form));
}

void JsonDocument::setMemberRaw(std::string_view path, std::string_view source) {
    setAt(mutableRoot(), path, parseJson(source));
}

void JsonDocument::setMemberNumber(std::string_view path, double number) { setAt(mutableRoot(), path, Json(number)); }

void JsonDocument::deleteMember(std::string_view path) {
    JsonPathStep last;
    Json* parent = findParent(mutableRoot(), path, last);
    if (parent == nullptr) {
        return;
    }
    if (parent->is_object()) {
        auto& members = parent->get_ref<Json::object_t&>();
        if (last.kind == JsonPathStep::Kind::Member) {
            if (const auto found = members.find(last.name); found != members.end()) {
                members.erase(found);
            }
        } else {
            members.erase(indexName(last.index));
        }
    } else if (parent->is_array() && last.kind == JsonPathStep::Kind::Index && last.index < parent->size()) {
        (*parent)[last.index] = nullptr;
    }
}

void JsonDocument::appendToArray(std::string_view value, std::string_view path, ValueForm form) {
    Json* target = find(mutableRoot(), path);
    if (target == nullptr || target->is_null()) {
        return;
    }
    std::optional<Json> element;
    if (form == ValueForm::Text || !value.empty()) {
        element = valueFrom(value, form);
        if (!element) {
            return;
        }
    }
    if (!target->is_array()) {
        *target = Json::array();
    }
    if (element) {
        target->push_back(std::move(*element));
    }
}

void JsonDocument::setElement(std::size_t index, std::string_view value, ValueForm form) {
    if (std::optional<Json> element = valueFrom(value, form)) {
        place(mutableRoot(), JsonPathStep{JsonPathStep::Kind::Index, {}, index}, std::move(*element));
    }
}

void JsonDocument::removeElement(std::size_t index) {
    Json& value = mutableRoot();
    if (value.is_array() && index < value.size()) {
        value.erase(index);
    }
}

bool JsonDocument::setRoot(std::string_view value, ValueForm form) {
    std::optional<Json> assigned = valueFrom(value, form);
    if (!assigned) {
        return false;
    }
    mutableRoot() = std::move(*assigned);
    return truthy(mutableRoot());
}

}  // namespace vamu::net
