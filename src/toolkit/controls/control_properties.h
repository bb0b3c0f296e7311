#pragma once
// Control properties by name. The method map names each class's property operations
// and their argument types; a caller that only knows names (a layout description, a
// settings-driven skin, a test) sets and reads them here. The name must belong to the
// control's class or one of its bases in the map; the values are converted to the
// method's argument types first (text "12" to an int32, a number to text, ...).
//
// A class with properties of its own implements PropertyHolder; the base control's
// properties (Tips, Alp, FontName, ...) are answered here for every control.
// UI thread only.

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace vamu::toolkit {

class BaseControl;

// One argument: integers (int32, int64, boolean) as long long, floats as double,
// text as QString, byte strings (pictures, UTF-16 text) as QByteArray.
using PropertyValue = std::variant<long long, double, QString, QByteArray>;
using PropertyValues = std::vector<PropertyValue>;

class PropertyHolder {
public:
    // `name` is spelled as in the method map. With `set`, applies the values (already
    // converted; trailing optional arguments may be missing) and redraws the control.
    // Answers the current value, or nullopt when the class has no such property.
    virtual std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) = 0;

protected:
    ~PropertyHolder() = default;
};

// The current value; nullopt when the class (with its bases) has no such property.
[[nodiscard]] std::optional<PropertyValues> getProperty(BaseControl& control, std::string_view name);
// False when the name is unknown or a required argument is missing or unconvertible.
bool setProperty(BaseControl& control, std::string_view name, const PropertyValues& values);
// A layout attribute's text, split at "," into the method's arguments (a text
// argument takes the rest of the text).
bool setPropertyFromText(BaseControl& control, std::string_view name, std::string_view text);

// Reading converted arguments inside PropertyHolder::property().
[[nodiscard]] long long intArgument(const PropertyValues& values, std::size_t index, long long fallback = 0);
[[nodiscard]] double floatArgument(const PropertyValues& values, std::size_t index, double fallback = 0.0);
[[nodiscard]] QString textArgument(const PropertyValues& values, std::size_t index);
[[nodiscard]] QByteArray bytesArgument(const PropertyValues& values, std::size_t index);

// The "Gird" properties: the nine-grid centre (x, y, width, height) of a picture;
// none when empty.
[[nodiscard]] std::optional<QRectF> gridArgument(const PropertyValues& values);
[[nodiscard]] PropertyValues gridValues(const std::optional<QRectF>& grid);

// The "Text" (text) and "TextW" (UTF-16 bytes) pair of a control's text: applies a
// set through `apply` and answers `current` (a reference to the stored text);
// nullopt for any other name.
[[nodiscard]] std::optional<PropertyValues> textProperty(std::string_view name, const PropertyValues* set,
                                                         const QString& current,
                                                         const std::function<void(const QString&)>& apply);

// UTF-16 (little-endian) bytes, the form of the "...W" text properties.
[[nodiscard]] QByteArray utf16Bytes(const QString& text);
[[nodiscard]] QString fromUtf16Bytes(const QByteArray& bytes);

}  // namespace vamu::toolkit
