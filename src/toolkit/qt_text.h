#pragma once
// Program text (UTF-8) as the QString that the toolkit's controls take.

#include <QString>

#include <string_view>

namespace vamu::toolkit {

[[nodiscard]] inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace vamu::toolkit
