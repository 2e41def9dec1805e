// Expressions as a Japanese keyboard types them.
#pragma once

#include <string>
#include <string_view>

namespace qvl {

// The text of an expression (code page 932) with the full-width digits and
// Latin letters, ＋ － ＊ ／ （ ） ． ，, the ideographic space, × and ÷ in their
// ASCII forms: with the input method on, "１２００×３" is typed as easily as
// "1200*3" and means the same. Every other character stays as typed (～ ％ ＾
// ｜ ＆ ＄ ...), so that the calculator reports it by name instead of reading
// a typed range "10～20" as an operator.
[[nodiscard]] std::string HalfWidthExpression(std::string_view cp932);

}  // namespace qvl
