#include "toolkit/controls/control_properties.h"

#include "toolkit/controls/control.h"
#include "toolkit/method_map.h"
#include "toolkit/toolkit.h"

#include <cmath>

namespace vamu::toolkit {
namespace {

bool isIntegral(ArgumentType type) {
    switch (type) {
    case ArgumentType::Float:
    case ArgumentType::Double:
    case ArgumentType::Text:
    case ArgumentType::ByteString:
        return false;
    default:
        return true;
    }
}

std::optional<long long> parseInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    long long value = trimmed.toLongLong(&ok, 0);  // decimal, or 0x... hexadecimal
    if (ok) return value;
    // Colours above 0x7FFFFFFF are often written unsigned.
    const unsigned long long unsignedValue = trimmed.toULongLong(&ok, 0);
    if (ok) return static_cast<long long>(unsignedValue);
    return std::nullopt;
}

std::optional<PropertyValue> convert(const PropertyValue& value, ArgumentType type) {
    if (isIntegral(type)) {
        if (const auto* n = std::get_if<long long>(&value)) return *n;
        if (const auto* d = std::get_if<double>(&value)) {
            if (!std::isfinite(*d)) return std::nullopt;
            return static_cast<long long>(*d);
        }
        if (const auto* t = std::get_if<QString>(&value)) {
            if (const auto n = parseInteger(*t)) return *n;
        }
        return std::nullopt;
    }
    if (type == ArgumentType::Float || type == ArgumentType::Double) {
        if (const auto* n = std::get_if<long long>(&value)) return static_cast<double>(*n);
        if (const auto* d = std::get_if<double>(&value)) return *d;
        if (const auto* t = std::get_if<QString>(&value)) {
            bool ok = false;
            const double d = t->trimmed().toDouble(&ok);
            if (ok) return d;
        }
        return std::nullopt;
    }
    if (type == ArgumentType::Text) {
        if (const auto* t = std::get_if<QString>(&value)) return *t;
        if (const auto* n = std::get_if<long long>(&value)) return QString::number(*n);
        if (const auto* d = std::get_if<double>(&value)) return QString::number(*d);
        return std::nullopt;
    }
    if (const auto* b = std::get_if<QByteArray>(&value)) return *b;
    if (const auto* t = std::get_if<QString>(&value)) return t->toUtf8();
    return std::nullopt;
}

const MethodInfo* findMethod(const BaseControl& control, std::string_view name) {
    const MethodMap* map = builtinMethodMap();
    if (!map) return nullptr;
    // Classes the map does not list (caption buttons, the round picture) still have
    // the base control's properties.
    const std::string_view className =
        map->findClass(control.className()) ? std::string_view(control.className()) : std::string_view("BaseControl");
    return map->findMethod(className, name);
}

std::optional<PropertyValues> convertAll(const MethodInfo& method, const PropertyValues& values) {
    PropertyValues converted;
    for (std::size_t i = 0; i < method.arguments.size(); ++i) {
        if (i >= values.size()) {
            if (method.arguments[i].optional) break;
            return std::nullopt;
        }
        auto value = convert(values[i], method.arguments[i].type);
        if (!value) return std::nullopt;
        converted.push_back(std::move(*value));
    }
    return converted;
}

PropertyValues one(long long value) { return {value}; }

// The properties every control has.
std::optional<PropertyValues> baseProperty(BaseControl& c, std::string_view name, const PropertyValues* set) {
    if (name == "TabStopIndex") {
        if (set) c.setTabStopIndex(static_cast<int>(intArgument(*set, 0)));
        return one(c.tabStopIndex());
    }
    if (name == "Tips") {
        if (set) c.setTips(textArgument(*set, 0));
        return PropertyValues{c.tips()};
    }
    if (name == "Flags") {
        if (set) c.setFlags(QString::number(intArgument(*set, 0)));
        return one(c.flags().toLongLong());
    }
    if (name == "Alp") {
        if (set) c.setAlpha(static_cast<int>(intArgument(*set, 0)));
        return one(c.alpha());
    }
    if (name == "AlpHitTest") {
        if (set) c.setAlpHitTest(intArgument(*set, 0) != 0);
        return one(c.alpHitTest() ? 1 : 0);
    }
    if (name == "AnimationFramesAndTimer") {
        if (set) {
            c.setAnimationFramesAndTimer(static_cast<int>(intArgument(*set, 0)),
                                         static_cast<int>(intArgument(*set, 1, c.animationInterval())));
        }
        return PropertyValues{static_cast<long long>(c.animationFrames()),
                              static_cast<long long>(c.animationInterval())};
    }
    if (name == "AnimationType") {
        if (set) c.setAnimationType(static_cast<int>(intArgument(*set, 0)));
        return one(c.animationType());
    }
    if (name == "Disable") {
        if (set) c.setDisabled(intArgument(*set, 0) != 0);
        return one(c.isDisabled() ? 1 : 0);
    }
    if (name == "DropDrag") {
        if (set) c.setDropDrag(intArgument(*set, 0) != 0);
        return one(c.dropDrag() ? 1 : 0);
    }
    if (name == "LockPos") {
        if (set) {
            const long long bits = intArgument(*set, 0);
            c.setLockPos(bits & anchor::kLeft, bits & anchor::kTop, bits & anchor::kRight, bits & anchor::kBottom);
        }
        return one(c.lockPos());
    }
    if (name == "FontName" || name == "FontNameW") {
        const bool wide = name == "FontNameW";
        if (set) c.setFontName(wide ? fromUtf16Bytes(bytesArgument(*set, 0)) : textArgument(*set, 0));
        if (wide) return PropertyValues{utf16Bytes(c.font().family())};
        return PropertyValues{c.font().family()};
    }
    if (name == "FontStyle") {
        if (set) c.setFontStyle(static_cast<int>(intArgument(*set, 0)));
        return one(fontStyleOf(c.font()));
    }
    if (name == "FontSize") {
        if (set) c.setFontSize(static_cast<int>(std::lround(floatArgument(*set, 0))));
        return PropertyValues{static_cast<double>(c.font().pixelSize())};
    }
    return std::nullopt;
}

std::optional<PropertyValues> callProperty(BaseControl& control, const MethodInfo& method, const PropertyValues* set) {
    if (auto* holder = dynamic_cast<PropertyHolder*>(&control)) {
        if (auto answer = holder->property(method.name, set)) return answer;
    }
    return baseProperty(control, method.name, set);
}

}  // namespace

std::optional<PropertyValues> getProperty(BaseControl& control, std::string_view name) {
    const MethodInfo* method = findMethod(control, name);
    if (!method) return std::nullopt;
    return callProperty(control, *method, nullptr);
}

bool setProperty(BaseControl& control, std::string_view name, const PropertyValues& values) {
    const MethodInfo* method = findMethod(control, name);
    if (!method || !control.isCreated()) return false;
    const std::optional<PropertyValues> converted = convertAll(*method, values);
    if (!converted) return false;
    return callProperty(control, *method, &*converted).has_value();
}

bool setPropertyFromText(BaseControl& control, std::string_view name, std::string_view text) {
    const MethodInfo* method = findMethod(control, name);
    if (!method) return false;
    const QString whole = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    PropertyValues values;
    qsizetype start = 0;
    for (std::size_t i = 0; i < method->arguments.size() && start <= whole.size(); ++i) {
        const ArgumentType type = method->arguments[i].type;
        const bool last = i + 1 == method->arguments.size();
        const qsizetype comma = (type == ArgumentType::Text || last) ? -1 : whole.indexOf(u',', start);
        const qsizetype end = comma < 0 ? whole.size() : comma;
        values.emplace_back(whole.mid(start, end - start));
        start = end + 1;
    }
    return setProperty(control, name, values);
}

long long intArgument(const PropertyValues& values, std::size_t index, long long fallback) {
    if (index >= values.size()) return fallback;
    if (const auto* n = std::get_if<long long>(&values[index])) return *n;
    if (const auto* d = std::get_if<double>(&values[index])) return static_cast<long long>(*d);
    return fallback;
}

double floatArgument(const PropertyValues& values, std::size_t index, double fallback) {
    if (index >= values.size()) return fallback;
    if (const auto* d = std::get_if<double>(&values[index])) return *d;
    if (const auto* n = std::get_if<long long>(&values[index])) return static_cast<double>(*n);
    return fallback;
}

QString textArgument(const PropertyValues& values, std::size_t index) {
    if (index >= values.size()) return {};
    if (const auto* t = std::get_if<QString>(&values[index])) return *t;
    return {};
}

QByteArray bytesArgument(const PropertyValues& values, std::size_t index) {
    if (index >= values.size()) return {};
    if (const auto* b = std::get_if<QByteArray>(&values[index])) return *b;
    return {};
}

std::optional<QRectF> gridArgument(const PropertyValues& values) {
    const QRectF grid(intArgument(values, 0), intArgument(values, 1), intArgument(values, 2), intArgument(values, 3));
    if (grid.width() <= 0 || grid.height() <= 0) return std::nullopt;
    return grid;
}

PropertyValues gridValues(const std::optional<QRectF>& grid) {
    const QRect r = grid ? grid->toRect() : QRect();
    return {static_cast<long long>(r.x()), static_cast<long long>(r.y()), static_cast<long long>(r.width()),
            static_cast<long long>(r.height())};
}

std::optional<PropertyValues> textProperty(std::string_view name, const PropertyValues* set, const QString& current,
                                           const std::function<void(const QString&)>& apply) {
    const bool wide = name == "TextW";
    if (!wide && name != "Text") return std::nullopt;
    if (set) apply(wide ? fromUtf16Bytes(bytesArgument(*set, 0)) : textArgument(*set, 0));
    if (wide) return PropertyValues{utf16Bytes(current)};
    return PropertyValues{current};
}

QByteArray utf16Bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QString fromUtf16Bytes(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == 0) break;  // the stored form may end with a terminator
        text.append(QChar(unit));
    }
    return text;
}

}  // namespace vamu::toolkit
