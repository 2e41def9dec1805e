// Expressions as a Japanese keyboard types them.
#pragma once

#include <string>
#include <string_view>

namespace qvl {

// The text of an expression (code page 932) with the full-width forms of the
// ASCII characters (digits, letters, signs, brackets), the ideographic space,
// × and ÷ in their ASCII forms: with the input method on, "１２００×３" is
// typed as easily as "1200*3" and means the same. Other characters stay as
// they are, so an unknown name is still reported as typed.
[[nodiscard]] std::string HalfWidthExpression(std::string_view cp932);

}  // namespace qvl
