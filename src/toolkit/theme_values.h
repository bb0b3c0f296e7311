#pragma once
// Parsing of the number lists that theme attributes hold ("0,1,39,19",
// "1358954496,872415231", "4,3,-4,-5"). Items may carry spaces around them; an empty
// item or any other character makes the whole list invalid.

#include <optional>
#include <string_view>
#include <vector>

namespace vamu::toolkit {

// Decimal integers with an optional sign; nullopt when an item overflows 64 bits.
[[nodiscard]] std::optional<std::vector<long long>> parseIntegerList(std::string_view text);

// Finite decimal numbers ("1", "-2.5", "3e1").
[[nodiscard]] std::optional<std::vector<double>> parseRealList(std::string_view text);

// Whether a four-number attribute names a region of the atlas. Everything does except
// sizes ("size", "iconsize", "blocksize"), nine-grid centres ("gird", "bg_gird",
// "gird_btn"), edge adjustments ("margin", "margin_btn") and colours ("crborder").
[[nodiscard]] bool isAtlasRegionAttribute(std::string_view attribute);

}  // namespace vamu::toolkit
