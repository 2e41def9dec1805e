#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "sxml/USXMLSub.h"

namespace qvl::sxml {
namespace {

struct text_case_t {
  std::string input;
  std::string expected;
};

TEST(SxmlIndent, TwoSpacesPerLevel) {
  EXPECT_EQ(Indent(0), "");
  EXPECT_EQ(Indent(1), "  ");
  EXPECT_EQ(Indent(3), "      ");
  EXPECT_EQ(Indent(-2), "");
}

TEST(SxmlEscapeName, BackslashBeforeEveryDelimiterOnly) {
  const std::vector<text_case_t> cases = {
      {"pattern", "pattern"},
      {"cherry-max", "cherry-max"},
      {"a b", "a\\ b"},
      {"\t\n\r", "\\\t\\\n\\\r"},
      {"\"#'", "\\\"\\#\\'"},
      {"().;", "\\(\\)\\.\\;"},
      {"a\\b", "a\\b"},  // a backslash is no delimiter
      {"@", "@"},
      {"\x95\x5C", "\x95\x5C"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeName(c.input), c.expected) << c.input;
}

TEST(SxmlEscapeString, QuotesAndBackslashesByPreviousByte) {
  const std::vector<text_case_t> cases = {
      {"", ""},
      {"plain text", "plain text"},
      {"a\"b", "a\\\"b"},
      {"\"", "\\\""},
      {"a\\b", "a\\\\b"},
      {"\\", "\\\\"},            // first byte of the text
      {"\\\\", "\\\\\\\\"},      // the second follows 0x5C, not a lead byte
      {"\x95\x5C", "\x95\x5C"},  // 表: the trail byte is no escape
      {"\x83\x5C", "\x83\x5C"},  // ソ
      {"\x95\x5C\x5C", "\x95\x5C\\\x5C"},
      {"\xB1\\", "\xB1\\"},  // after half-width katakana
      {"\x81\\", "\x81\\"},  // both ends of the lead range
      {"\xFC\\", "\xFC\\"},
      {"\x80\\", "\x80\\\\"},  // just outside it
      {"\xFD\\", "\xFD\\\\"},
      {"\r\n", "\r\n"},  // line breaks stay inside the string
      {"\x95\x5C\"", "\x95\x5C\\\""},
      // A quote right after a byte in 0x81-0xFC cannot be read back; it is
      // written as the full-width quote 0x81 0x68.
      {"\x82\xA0\"", "\x82\xA0\x81\x68"},
      {"\xB1\"x", "\xB1\x81\x68x"},
      {"\x82\xA0\"\\", "\x82\xA0\x81\x68\\\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeString(c.input), c.expected) << c.input;
}

TEST(SxmlTextElement, NameSpaceQuotedEscapedText) {
  EXPECT_EQ(TextElement("title", ""), "(title \"\")");
  EXPECT_EQ(TextElement("memo", "say \"hi\""), "(memo \"say \\\"hi\\\"\")");
  EXPECT_EQ(TextElement("a b", "x"), "(a\\ b \"x\")");
}

TEST(SxmlNumberElement, DecimalWithMinusSign) {
  EXPECT_EQ(NumberElement("bomb", 0), "(bomb \"0\")");
  EXPECT_EQ(NumberElement("bomb", 3), "(bomb \"3\")");
  EXPECT_EQ(NumberElement("point", -5), "(point \"-5\")");
  EXPECT_EQ(NumberElement("n", std::numeric_limits<std::int64_t>::max()),
            "(n \"9223372036854775807\")");
  EXPECT_EQ(NumberElement("n", std::numeric_limits<std::int64_t>::min()),
            "(n \"-9223372036854775808\")");
}

TEST(SxmlBoolElement, TrueAndFalse) {
  EXPECT_EQ(BoolElement("selected", true), "(selected \"true\")");
  EXPECT_EQ(BoolElement("selected", false), "(selected \"false\")");
}

TEST(SxmlElementText, PatternExampleAlignsAttributesUnderTheFirst) {
  // Level 2: the parent puts four spaces before the first line; the second
  // line has 4 + 12 spaces, 12 being the length of "(pattern (@ ", then the
  // bomb text element and two closing parentheses (attribute list, element).
  const std::string text =
      ElementText("pattern", {TextElement("title", ""), NumberElement("bomb", 3)}, 2, {});
  EXPECT_EQ(text, "(pattern (@ (title \"\")\r\n" + std::string(16, ' ') + "(bomb \"3\")))");
}

TEST(SxmlElementText, LayoutTable) {
  const std::vector<std::string> no_attributes;
  const std::vector<std::string> no_children;
  struct case_t {
    std::string name;
    std::vector<std::string> attributes;
    int level;
    std::vector<std::string> children;
    std::string expected;
  };
  const std::vector<case_t> cases = {
      {"a", no_attributes, 0, no_children, "(a)"},
      {"a", no_attributes, 0, {"(b)", "(c)"}, "(a\r\n  (b)\r\n  (c))"},
      {"a", no_attributes, 1, {"(b)"}, "(a\r\n    (b))"},
      {"a", {"(x \"1\")"}, 0, no_children, "(a (@ (x \"1\")))"},
      {"a",
       {"(x \"1\")", "(y \"2\")"},
       1,
       {"(b)"},
       "(a (@ (x \"1\")\r\n" + std::string(2 + 6, ' ') + "(y \"2\"))\r\n    (b))"},
      // The alignment counts the escaped name.
      {"a b",
       {"(x \"1\")", "(y \"2\")"},
       0,
       no_children,
       "(a\\ b (@ (x \"1\")\r\n" + std::string(9, ' ') + "(y \"2\")))"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ElementText(c.name, c.attributes, c.level, c.children), c.expected) << c.name;
  }
}

TEST(SxmlElementWriter, WritesWhatElementTextLaysOut) {
  // A nested element written straight into one text equals the same element
  // assembled from its children's texts.
  std::string direct;
  {
    TSXMLElementWriter outer(direct, "group", 1);
    outer.Text("kind", "stage");
    outer.Bool("grouping", false);
    const int child_level = outer.BeginChild();
    TSXMLElementWriter inner(direct, "scene", child_level);
    inner.Number("point", -7);
    inner.End();
    outer.BeginChild();
    direct.append("(empty)");
    outer.End();
  }
  const std::string child = ElementText("scene", {NumberElement("point", -7)}, 2, {});
  const std::string assembled =
      ElementText("group", {TextElement("kind", "stage"), BoolElement("grouping", false)}, 1,
                  {child, "(empty)"});
  EXPECT_EQ(direct, assembled);
  EXPECT_EQ(assembled, "(group (@ (kind \"stage\")\r\n" + std::string(2 + 10, ' ') +
                           "(grouping \"false\"))\r\n" +
                           "    (scene (@ (point \"-7\")))\r\n    (empty))");
}

TEST(SxmlElementWriter, AppendsAfterExistingText) {
  // The alignment is measured from the element's own "(", not from the start
  // of the buffer it is written into.
  std::string out = "prefix ";
  TSXMLElementWriter w(out, "e", 0);
  w.Text("a", "1");
  w.Text("b", "2");
  w.End();
  EXPECT_EQ(out, "prefix (e (@ (a \"1\")\r\n      (b \"2\")))");
}

}  // namespace
}  // namespace qvl::sxml
