#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sxml/USXMLSub.h"

namespace qvl::sxml {
namespace {

// A compact picture of a tree: an element is "(name @[attributes] children)",
// a text node is its data in double quotes, siblings are separated by spaces.
std::string Dump(const TSXMLElement& e);

std::string DumpChildren(const TSXMLElement& e) {
  std::string out;
  for (const auto& child : e.Children()) {
    if (!out.empty()) out += ' ';
    out += Dump(*child);
  }
  return out;
}

std::string DumpAttributes(const TSXMLElement& e) {
  if (e.AttributeCount() == 0) return {};
  std::string out = " @[";
  for (std::size_t i = 0; i < e.AttributeCount(); ++i) {
    if (i > 0) out += ',';
    out += e.Attribute(i);
  }
  return out + "]";
}

std::string Dump(const TSXMLElement& e) {
  if (e.IsText()) return "\"" + e.Text() + "\"";
  std::string out = "(" + e.Text() + DumpAttributes(e);
  const std::string children = DumpChildren(e);
  if (!children.empty()) out += " " + children;
  return out + ")";
}

std::unique_ptr<TSXMLDoc> Parse(std::string_view input) {
  auto doc = std::make_unique<TSXMLDoc>();
  doc->LoadFromBuffer(input);
  return doc;
}

// The whole document: its own attributes (a top-level attribute list), then
// its top-level nodes.
std::string ParseDump(std::string_view input) {
  const auto doc = Parse(input);
  std::string attributes = DumpAttributes(*doc);
  std::string children = DumpChildren(*doc);
  if (attributes.empty()) return children;
  return attributes.substr(1) + (children.empty() ? "" : " " + children);
}

struct read_case_t {
  const char* what;
  std::string input;
  std::string expected;
};

TEST(SxmlReader, Grammar) {
  const std::vector<read_case_t> cases = {
      {"empty input", "", ""},
      {"blanks only", " \t\r\n'.", ""},
      {"one element", "(a)", "(a)"},
      {"attributes, text and an empty child", "(a (@ (x \"1\") (y \"2\")) \"t\" (b))",
       "(a @[x=1,y=2] \"t\" (b))"},
      {"@@ also opens an attribute list", "(a (@@ (x \"1\")))", "(a @[x=1])"},
      {"two attribute lists add up", "(a (@ (x \"1\")) (@ (y \"2\")))", "(a @[x=1,y=2])"},
      {"a top-level attribute list belongs to the document", "(@ (x \"1\")) (a)", "@[x=1] (a)"},
      {"bare words are ignored", "(a foo \"x\" bar 12 (b) baz)", "(a \"x\" (b))"},
      {"top-level text", "\"t\" (a) \"u\"", "\"t\" (a) \"u\""},
      {"empty name", "(\"x\")", "( \"x\")"},
      {"nested", "(a (b (c \"deep\")) (d))", "(a (b (c \"deep\")) (d))"},
      {"line comment", "; a comment (x)\n(a) ; another", "(a)"},
      {"block comment", "#| (x) \"y\" |# (a #| z |# \"t\")", "(a \"t\")"},
      {"block comment closed by the first |#", "#| a |# (a) #| b |#", "(a)"},
      {"block comment closes at a bar directly before #", "#|| x ||# (a)", "(a)"},
      {"the opening bar does not close the comment", "#|#(x)|#(b)", "(b)"},
      {"a lone # is dropped", "#x (a) # (b)", "(a) (b)"},
      {"apostrophe and dot between items", "'(a) .(b) '\"t\"", "(a) (b) \"t\""},
      {"a # right after a token is an ordinary byte", "(a b#| \"x\" |# \"y\")", "(a \"x\" \"y\")"},
      {"a ; right after a token does not start a comment", "(a b;c)\n \"t\")", "(a) \"t\""},
      {"a ; at the start of an item does", "(a ;c)\n \"t\")", "(a \"t\")"},
      {"a surplus ) ends the load", "(a)) (b)", "(a)"},
      {"a ) at the very start ends the load", ") (a)", ""},
      {"escaped delimiters in a name", "(a\\ b\\(c\\))", "(a b(c))"},
      {"escaped name characters", "(\\x\\y)", "(xy)"},
      {"a backslash after a lead byte in a name", "(\x95\\)", "(\x95\\)"},
      // An escape at the start of a name is given back and read again after
      // the escaped byte: when that byte is in 0x81-0xFC the backslash is then
      // an ordinary byte and stays in the name.
      {"escape of a lead byte at the start of a name", "(\\\x82\xA0)", "(\\\x82\xA0)"},
      {"the same escape inside a name", "(x\\\x82\xA0)", "(x\x82\xA0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDump(c.input), c.expected) << c.what;
}

TEST(SxmlReader, Strings) {
  const std::vector<read_case_t> cases = {
      {"escaped quote", R"("a\"b")", "\"a\"b\""},
      {"escaped backslash", R"("a\\b")", "\"a\\b\""},
      {"escaped ordinary byte", R"("\x")", "\"x\""},
      {"table has a trail byte 0x5C", "\"\x95\x5C\"", "\"\x95\x5C\""},
      {"a backslash after half-width katakana", "\"\xB1\\\"", "\"\xB1\\\""},
      {"a backslash after 0x80 escapes", "\"\x80\\\\\"", "\"\x80\\\""},
      {"a backslash after 0xFD escapes", "\"\xFD\\\\\"", "\"\xFD\\\""},
      {"continued after CR LF", "\"ab\\\r\ncd\"", "\"abcd\""},
      {"continued after LF", "\"ab\\\ncd\"", "\"abcd\""},
      {"continued after a lone CR", "\"ab\\\rcd\"", "\"abcd\""},
      {"continued after CR, then a quote", "\"ab\\\r\"", "\"ab\""},
      {"unescaped line breaks are data", "\"ab\r\ncd\nef\"", "\"ab\r\ncd\nef\""},
      {"delimiters are data", "\"(a) ;#| .'\"", "\"(a) ;#| .'\""},
      {"empty", "\"\"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDump(c.input), c.expected) << c.what;
}

TEST(SxmlReader, Attributes) {
  const std::vector<read_case_t> cases = {
      {"unquoted value is no value", "(a (@ (x 12)))", "(a @[x=])"},
      {"a later string replaces an earlier one", "(a (@ (x \"1\" \"2\")))", "(a @[x=2])"},
      {"nested lists are skipped", "(a (@ (x \"1\" (y \"z\" (w)) \"3\")))", "(a @[x=3])"},
      {"no value at all", "(a (@ (x)))", "(a @[x=])"},
      {"empty name gives an empty entry", "(a (@ (\"v\") (x \"1\")))", "(a @[,x=1])"},
      {"@ as a name gives an empty entry", "(a (@ (@ \"v\")))", "(a @[])"},
      {"@@ as a name gives an empty entry", "(a (@ (@@ \"v\")))", "(a @[])"},
      {"strings and words in the list are dropped", "(a (@ \"s\" w (x \"1\")))", "(a @[x=1])"},
      {"duplicates are kept", "(a (@ (x \"1\") (x \"2\")))", "(a @[x=1,x=2])"},
      {"comments inside", "(a (@ ; c\n (x #| c |# \"1\")))", "(a @[x=1])"},
      {"empty list", "(a (@) \"t\")", "(a \"t\")"},
      {"escaped name", "(a (@ (x\\ y \"1\")))", "(a @[x y=1])"},
      // Next to the writer's own form (name "value"), read in one look.
      {"other blanks before the value", "(a (@ (x  \"1\") (y\t\"2\")))", "(a @[x=1,y=2])"},
      {"a blank before the closing bracket", "(a (@ (x \"1\" )))", "(a @[x=1])"},
      {"an escape in the value", "(a (@ (x \"a\\\"b\")))", "(a @[x=a\"b])"},
      {"a trail byte 0x5C in the value", "(a (@ (x \"\x95\x5C\") (y \"2\")))",
       "(a @[x=\x95\x5C,y=2])"},
      {"a lead byte before the closing quote", "(a (@ (x \"\x82\") (y \"2\")))",
       "(a @[x=\x82,y=2])"},
      {"an escape in the name", "(a (@ (x\\y \"1\")))", "(a @[xy=1])"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDump(c.input), c.expected) << c.what;
}

// The writer's form (name "value") is read a word at a time; after a blank
// behind the "(" the same attribute goes the general way. Random
// names and values of every length around a word, from bytes that end names,
// values or neither, also where the input ends just after them, read alike;
// and so do a run of blanks before them, skipped a word at a time, and a
// single space.
TEST(SxmlReader, WriterFormReadsLikeTheGeneralForm) {
  const std::string bytes = "ab-,!\x01;.#'\"\\ ()\t\x95\x82\xFC\x80";
  std::mt19937 random(2612);
  const auto some = [&] {
    std::string out;
    const auto length = random() % 20;
    for (std::size_t i = 0; i < length; ++i) {
      out.push_back(random() % 3 == 0 ? bytes[random() % bytes.size()] : 'x');
    }
    return out;
  };
  const auto blanks = [&] {
    const std::string kinds = "\r\n\t.'";
    std::string out;
    const auto length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) {
      out.push_back(random() % 4 == 0 ? kinds[random() % kinds.size()] : ' ');
    }
    return out;
  };
  const auto read = [](const std::string& input) {
    try {
      return ParseDump(input);
    } catch (const EReadError& e) {
      return "error at " + std::to_string(e.Offset());
    }
  };
  for (int round = 0; round < 5000; ++round) {
    const std::string name = some();
    const std::string value = some();
    const std::string tail = round % 2 == 0 ? "" : ") (b))";
    const std::string writer = "(a (@" + blanks() + "(" + name + " \"" + value + "\")" + tail;
    const std::string general = "(a (@ ( " + name + " \"" + value + "\")" + tail;
    std::string expected = read(general);
    if (expected.starts_with("error at ")) expected = "error at " + std::to_string(writer.size());
    ASSERT_EQ(read(writer), expected) << writer;
  }
}

TEST(SxmlReader, EndOfInputBetweenItemsEndsEveryOpenElement) {
  const std::vector<read_case_t> cases = {
      {"after the names of two open elements", "(a (b\n", "(a (b))"},
      {"after a name and a blank", "(a ", "(a)"},
      {"after a string", "(a \"t\"", "(a \"t\")"},
      {"after a bare word", "(a (b \"t\") w ", "(a (b \"t\"))"},
      {"inside a line comment", "(a ; no line feed", "(a)"},
      {"inside a block comment", "(a #| open", "(a)"},
      {"after a lone #", "(a #", "(a)"},
      {"after an attribute list", "(a (@ (x \"1\"))", "(a @[x=1])"},
      {"after a backslash that starts an item", "(a \\", "(a)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDump(c.input), c.expected) << c.what;
}

TEST(SxmlReader, EndOfInputInsideAnItemRaises) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"inside a string", "(a \"unterminated"},
      {"after an escaping backslash in a string", "(a \"x\\"},
      {"after an escaped CR in a string", "(a \"x\\\r"},
      {"inside a name", "(a (b"},
      {"right after (", "(a ("},
      {"a lone (", "("},
      {"inside an attribute list", "(a (@ (x \"1\")"},
      {"inside an attribute", "(a (@ (x \"1\""},
      {"inside a skipped list", "(a (@ (x (y \"1\")"},
      {"inside a comment within an attribute list", "(a (@ #| x"},
      {"a name ending in an escape", "(a\\"},
  };
  for (const auto& [what, input] : cases) {
    TSXMLDoc doc;
    EXPECT_THROW(doc.LoadFromBuffer(input), EReadError) << what;
  }
}

// Records what the reader hands over, as the picture of Dump.
class recording_handler_t final : public TSXMLHandler {
 public:
  void StartElement(std::string_view name, std::size_t offset) override {
    out += "(" + std::string(name) + "@" + std::to_string(offset);
  }
  void EndElement() override { out += ")"; }
  void Attribute(std::string_view name, std::string_view value) override {
    out += " [" + std::string(name) + "=" + std::string(value) + "]";
  }
  void Text(std::string& data) override { out += " \"" + data + "\""; }

  std::string out;
};

TEST(SxmlReader, RefusedEndInsideAnOpenElementSaysWhichOne) {
  recording_handler_t handler;
  try {
    ParseSXML("(a (@ (x \"1\")) \"t\"\n  (b)\n  (c ", handler, unclosed_t::Refuse);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Expected(), read_expected_t::ElementEnd);
    EXPECT_EQ(e.Offset(), 30u);
    EXPECT_EQ(e.OpenedAt(), 27u);  // the innermost open element, c
  }
  EXPECT_EQ(handler.out, "(a@0 [x=1] \"t\"(b@21)(c@27");
  // Closed elements and the end between top-level items are fine.
  recording_handler_t whole;
  ParseSXML("(a (b)) ; done", whole, unclosed_t::Refuse);
  EXPECT_EQ(whole.out, "(a@0(b@3))");
}

TEST(SxmlReader, EndInsideAnItemSaysWhatWasExpectedAndWhere) {
  const struct {
    const char* input;
    read_expected_t expected;
    std::size_t opened_at;
  } cases[] = {
      {"(a \"unterminated", read_expected_t::StringEnd, 3},
      {"(a (@ (x \"1\")", read_expected_t::ListEnd, 3},
      {"(a (@ (x (y", read_expected_t::ListEnd, 9},
      {"(a (b", read_expected_t::Name, 3},
  };
  for (const auto& c : cases) {
    TSXMLDoc doc;
    try {
      doc.LoadFromBuffer(c.input);
      ADD_FAILURE() << c.input;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Offset(), std::string_view(c.input).size()) << c.input;
      EXPECT_EQ(e.Expected(), c.expected) << c.input;
      EXPECT_EQ(e.OpenedAt(), c.opened_at) << c.input;
    }
  }
}

TEST(SxmlReader, PartlyReadTreeStaysWithTheDocument) {
  TSXMLDoc doc;
  EXPECT_THROW(doc.LoadFromBuffer("(a \"t\") (b \"unterminated"), EReadError);
  EXPECT_EQ(DumpChildren(doc), "(a \"t\") (b)");
  TSXMLDoc cut_in_list;
  EXPECT_THROW(cut_in_list.LoadFromBuffer("(a (@ (x \"1\") (y \"2\") (z"), EReadError);
  EXPECT_EQ(DumpChildren(cut_in_list), "(a @[x=1,y=2])");
}

TEST(SxmlReader, LoadAppendsToTheDocument) {
  TSXMLDoc doc;
  doc.LoadFromBuffer("(a)");
  doc.LoadFromBuffer("(b)");
  EXPECT_EQ(DumpChildren(doc), "(a) (b)");
  doc.Clear();
  EXPECT_EQ(doc.Count(), 0u);
}

TEST(SxmlReader, DeepNestingDoesNotExhaustTheStack) {
  constexpr int kDepth = 100000;
  {
    // A hundred thousand open parentheses: the last "(" has no name.
    TSXMLDoc doc;
    EXPECT_THROW(doc.LoadFromBuffer(std::string(kDepth, '(')), EReadError);
  }
  {
    // The same with names, ending between items: every element stays open.
    std::string input;
    for (int i = 0; i < kDepth; ++i) input += "(a ";
    TSXMLDoc doc;
    doc.LoadFromBuffer(input);
    int depth = 0;
    for (const TSXMLElement* e = &doc; e->Count() > 0; e = e->Items(0)) ++depth;
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(doc.TextContent(), "");
  }
  {
    // Deep lists inside an attribute are skipped without a stack of their own.
    std::string input = "(a (@ (x ";
    input += std::string(kDepth, '(');
    input += std::string(kDepth, ')');
    input += " \"v\")) \"t\")";
    EXPECT_EQ(ParseDump(input), "(a @[x=v] \"t\")");
  }
}

TEST(SxmlElement, TextContentConcatenatesAllTextBelow) {
  const auto doc = Parse("(a \"x\" (b \"y\" (c \"z\")) w \"!\")");
  ASSERT_EQ(doc->Count(), 1u);
  EXPECT_EQ(doc->Items(0)->TextContent(), "xyz!");
  EXPECT_EQ(doc->Items(0)->Items(1)->TextContent(), "yz");
  EXPECT_EQ(doc->TextContent(), "xyz!");
  EXPECT_THROW((void)doc->Items(1), std::out_of_range);
}

TEST(SxmlElement, AttributeValueByNameIgnoringCase) {
  const auto doc =
      Parse("(e (@ (title \"first\") (Title \"second\") (a=b \"c\") (empty) (\"nameless\")))");
  const TSXMLElement& e = *doc->Items(0);
  EXPECT_EQ(e.AttributeValue("TITLE"), "first");
  EXPECT_EQ(e.AttributeValue("title"), "first");
  EXPECT_EQ(e.AttributeValue("missing"), "");
  EXPECT_EQ(e.AttributeValue("empty"), "");
  // The name is the text before the first "=".
  EXPECT_EQ(e.AttributeValue("a"), "b=c");
  EXPECT_EQ(e.AttributeValue("a=b"), "");
  // The nameless attribute left an empty entry, which has the empty name.
  EXPECT_EQ(e.AttributeValue(""), "");
  EXPECT_EQ(e.AttributeCount(), 5u);
  EXPECT_EQ(e.Attribute(2), "a=b=c");
  EXPECT_EQ(e.Attribute(4), "");
  EXPECT_THROW((void)e.Attribute(5), std::out_of_range);
}

TEST(SxmlElement, ForEachAttributeSplitsAtTheFirstEquals) {
  const auto doc = Parse("(e (@ (a \"1\") (a=b \"c\") (\"nameless\") (B \"\")))");
  std::vector<std::string> seen;
  doc->Items(0)->ForEachAttribute([&](std::string_view name, std::string_view value) {
    seen.push_back(std::string(name) + "|" + std::string(value));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"a|1", "a|b=c", "|", "B|"}));
}

TEST(SxmlElement, NodesMadeByHand) {
  TSXMLElement e(false, "root");
  e.AddAttribute("Kind=stage");
  TSXMLElement* text = e.Add(std::make_unique<TSXMLElement>(true, "data"));
  EXPECT_TRUE(text->IsText());
  EXPECT_EQ(e.Count(), 1u);
  EXPECT_EQ(e.AttributeValue("KIND"), "stage");
  e.Clear();
  EXPECT_EQ(e.Count(), 0u);
  EXPECT_EQ(e.AttributeCount(), 1u);  // Clear frees children only
}

TEST(SxmlReader, StreamAndBufferReadAlike) {
  const std::string input = "(a (@ (x \"1\")) \"t\" (b \\( ; c\n \"u\"))) (z)";
  TSXMLDoc from_buffer;
  from_buffer.LoadFromBuffer(input);
  TStringStream stream(input);
  TSXMLDoc from_stream;
  from_stream.LoadFromStream(stream);
  EXPECT_EQ(DumpChildren(from_stream), DumpChildren(from_buffer));
  EXPECT_EQ(DumpChildren(from_stream), "(a @[x=1] \"t\" (b \"u\"))");
}

// Texts written by the builders read back as the same bytes.
TEST(SxmlRoundTrip, TextElementReadsBackUnchanged) {
  const std::vector<std::string> texts = {
      "",
      "say \"hi\"",
      "a\\b",
      "\\",
      "\\\\\"\\",
      "\x95\x5C",                  // 表
      "\x95\x5C\x95\x5C\\\"",      // 表表 then a backslash and a quote
      "\x83\x5C\x83\x88\x83\x4A",  // ソヨカ
      "line 1\r\nline 2\nline 3\r",
      "(not an element) ; not a comment #| nor this |#",
      "\x80\\\xFD\\",
  };
  for (const std::string& t : texts) {
    const auto doc = Parse(TextElement("t", t));
    ASSERT_EQ(doc->Count(), 1u) << t;
    EXPECT_EQ(doc->Items(0)->TextContent(), t) << t;
    const auto attribute = Parse("(e (@ " + TextElement("t", t) + "))");
    EXPECT_EQ(attribute->Items(0)->AttributeValue("t"), t) << t;
  }
}

TEST(SxmlRoundTrip, QuoteAfterLeadByteKeepsTheStructure) {
  const std::string text = "\x82\xA0\"x";
  const auto doc = Parse("(e (@ " + TextElement("t", text) + " (u \"1\")) \"after\")");
  const TSXMLElement& e = *doc->Items(0);
  EXPECT_EQ(e.AttributeValue("t"), "\x82\xA0\x81\x68x");
  EXPECT_EQ(e.AttributeValue("u"), "1");
  EXPECT_EQ(e.TextContent(), "after");
}

TEST(SxmlRoundTrip, RandomTextsAndNames) {
  // Bytes that matter to the escape rules, mixed at random. A quote right
  // after a lead byte is the one text that cannot come back, so it is left out.
  const std::string text_bytes =
      "\"\\\x95\x82\xA0\xB1\xFC\xFD\x80"
      "a (\r\n;#|.'";
  const std::string name_bytes = "ab-\t\n\r \"#'().;";
  std::mt19937 random(12345);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) {
      char c = text_bytes[random() % text_bytes.size()];
      if (c == '"' && !text.empty() && IsLeadByte(static_cast<unsigned char>(text.back()))) c = 'q';
      text.push_back(c);
    }
    std::string name = "n";
    const int name_length = static_cast<int>(random() % 6);
    for (int i = 0; i < name_length; ++i) name.push_back(name_bytes[random() % name_bytes.size()]);

    const auto doc =
        Parse(ElementText(name, {TextElement(name, text)}, 0, {TextElement("t", text)}));
    ASSERT_EQ(doc->Count(), 1u) << text;
    const TSXMLElement& e = *doc->Items(0);
    EXPECT_EQ(e.Text(), name);
    ASSERT_EQ(e.AttributeCount(), 1u);
    EXPECT_EQ(e.Attribute(0), name + "=" + text);
    EXPECT_EQ(e.TextContent(), text);
  }
}

}  // namespace
}  // namespace qvl::sxml
