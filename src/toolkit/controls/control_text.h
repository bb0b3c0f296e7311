#pragma once
// Helpers of the controls that show a text: access keys ("&Open" makes Alt+O click
// the control; "&&" stands for a literal ampersand) and the font a creation asks for.

#include <QFont>
#include <QString>

#include <optional>

namespace vamu::toolkit {

class BaseControl;

// The character after the first single "&", upper-cased; 0 when there is none.
[[nodiscard]] int mnemonicKey(const QString& text);

// Registers the text's access key for the control with its host window, replacing
// the control's earlier key (a text without one removes it).
void registerMnemonic(BaseControl& control, const QString& text);

// The font of a face (empty: the toolkit font's), pixel size and font_style bits; none
// when that is the toolkit font itself, which controls share.
[[nodiscard]] std::optional<QFont> requestedFont(const QString& face, int pixelSize, int style);

}  // namespace vamu::toolkit
