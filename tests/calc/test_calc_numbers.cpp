// Number reading and the text form of values.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "calc/Calculator.h"
#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;

TEST(NumberReading, DecimalAndHexadecimalForms) {
  struct row_t {
    const char* text;
    long double value;
  };
  const row_t rows[] = {
      {"0", 0.0L},
      {"42", 42.0L},
      {"+7", 7.0L},
      {"-7", -7.0L},
      {".", 0.0L},
      {"5.", 5.0L},
      {".5", 0.5L},
      {"  12  ", 12.0L},
      {"1E3", 1000.0L},
      {"1.5e2", 150.0L},
      {"1E-3", 0.001L},
      {"1e+2", 100.0L},
      {"1E", 1.0L},
      {"2e-", 2.0L},
      {"-.25E1", -2.5L},
      {"007", 7.0L},
      {"$FF", 255.0L},
      {"$ff", 255.0L},
      {"$0", 0.0L},
      {"$7FFFFFFF", 2147483647.0L},
      {"$80000000", -2147483648.0L},
      {"$FFFFFFFF", -1.0L},
      {"$00000000FF", 255.0L},
      {"1E-5000", 0.0L},
  };
  for (const row_t& r : rows) {
    long double v = -99;
    EXPECT_TRUE(TryReadNumber(r.text, v)) << r.text;
    EXPECT_EQ(v, r.value) << r.text;
  }
}

TEST(NumberReading, TextsThatAreNotNumbers) {
  for (const char* text : {"",      " ",   "-",   "+",    "E5",  "e",      "abc",
                           "1.2.3", "1 2", "- 5", "\t5",  "5\t", "1E5000", "1e99999999999999999999",
                           "1E5x",  "--3", "+-5", "2x",   "$",   "$G",     "$100000000",
                           "$1.5",  "$ 1", "$1 ", "0x10", "1,5", "()"}) {
    long double v = 0;
    EXPECT_FALSE(TryReadNumber(text, v)) << text;
  }
}

TEST(NumberReading, ExtendedRangeAndRounding) {
  long double v = 0;
  // Beyond the double range but within the extended one: a number, that
  // cannot be stored.
  ASSERT_TRUE(TryReadNumber("1E400", v));
  EXPECT_THROW((void)StoreValue(v), EOverflow);
  ASSERT_TRUE(TryReadNumber("-1E400", v));
  EXPECT_THROW((void)StoreValue(v), EOverflow);
  // A long digit string keeps its value.
  std::string many = "1" + std::string(399, '0');
  ASSERT_TRUE(TryReadNumber(many, v));
  EXPECT_EQ(StoreValue(v / 1E300L), 1E99);
  // Every digit may decide the rounding: 1 + 2^-64 lies halfway between two
  // extended values and goes to the even one; a digit far behind moves it up.
  const std::string half = "1.0000000000000000000542101086242752217003726400434970855712890625";
  ASSERT_TRUE(TryReadNumber(half, v));
  EXPECT_EQ(v, 1.0L);
  ASSERT_TRUE(TryReadNumber(half + "000000000000000001", v));
  EXPECT_EQ(v, 1.0L + 0x1p-63L);
  ASSERT_TRUE(TryReadNumber("0.1", v));
  EXPECT_EQ(StoreValue(v), 0.1);
  ASSERT_TRUE(TryReadNumber("1.7976931348623157E308", v));
  EXPECT_EQ(StoreValue(v), DBL_MAX);
  ASSERT_TRUE(TryReadNumber("4.9406564584124654E-324", v));
  EXPECT_EQ(StoreValue(v), std::numeric_limits<double>::denorm_min());
  ASSERT_TRUE(TryReadNumber("123456789012345678", v));
  EXPECT_EQ(v, 123456789012345678.0L);
}

TEST(TextForm, FifteenSignificantDigitsFixedOrScientific) {
  struct row_t {
    double value;
    const char* text;
  };
  const row_t rows[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {3.0, "3"},
      {-3.0, "-3"},
      {0.5, "0.5"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {0.00001, "1E-5"},
      {-0.000015, "-1.5E-5"},
      {1E15, "1E15"},
      {999999999999999.0, "999999999999999"},
      {9999999999999999.0, "1E16"},
      {1.5E20, "1.5E20"},
      {123456789012345678.0, "1.23456789012346E17"},
      {0.1 + 0.2, "0.3"},
      {100.0, "100"},
      {1234.5678, "1234.5678"},
      {DBL_MAX, "1.79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {9.2233720368547758E18, "9.22337203685478E18"},
      // An exact half at the sixteenth digit rounds away from zero.
      {12345678901234.25, "12345678901234.3"},
      {-12345678901234.25, "-12345678901234.3"},
      {0.99999999999999994, "1"},
  };
  for (const row_t& r : rows) EXPECT_EQ(ValueText(r.value), r.text) << r.value;
}

TEST(TextForm, ReadsBackAsTheSameFifteenDigitValue) {
  for (double v : {1.0 / 3.0, 1E-5, 1.5E20, 2.5E-300, -7.25, 123456.789, 1E15, 6.02214076E23}) {
    long double back = 0;
    const std::string text = ValueText(v);
    ASSERT_TRUE(TryReadNumber(text, back)) << text;
    EXPECT_EQ(ValueText(StoreValue(back)), text);
    EXPECT_NEAR(static_cast<double>(back), v, std::fabs(v) * 1E-14) << text;
  }
}

TEST(Storing, RoundsToDoubleUpToTheOverflowThreshold) {
  constexpr long double kMax = 0x1.fffffffffffffp+1023L;  // the largest double
  EXPECT_EQ(StoreValue(kMax), DBL_MAX);
  // Below the halfway point to 2^1024 a value still rounds to the largest double.
  EXPECT_EQ(StoreValue(0x1.fffffffffffff7fep+1023L), DBL_MAX);
  EXPECT_EQ(StoreValue(-0x1.fffffffffffff7fep+1023L), -DBL_MAX);
  EXPECT_THROW((void)StoreValue(0x1.fffffffffffff8p+1023L), EOverflow);
  EXPECT_THROW((void)StoreValue(-0x1.fffffffffffff8p+1023L), EOverflow);
  EXPECT_THROW((void)StoreValue(std::numeric_limits<long double>::infinity()), EOverflow);
  EXPECT_THROW((void)StoreValue(std::numeric_limits<long double>::quiet_NaN()), EInvalidOp);
  EXPECT_EQ(StoreValue(1E-400L), 0.0);  // underflow is no error
  EXPECT_EQ(StoreValue(0.1L), 0.1);
}

TEST(Truncation, SignedSixtyFourBitRangeOnly) {
  EXPECT_EQ(TruncValue(2.9L), 2);
  EXPECT_EQ(TruncValue(-2.9L), -2);
  EXPECT_EQ(TruncValue(-9223372036854775808.0L), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TruncValue(9223372036854775807.0L), std::numeric_limits<std::int64_t>::max());
  EXPECT_THROW((void)TruncValue(9223372036854775808.0L), EInvalidOp);
  EXPECT_THROW((void)TruncValue(-9223372036854775809.0L), EInvalidOp);
  EXPECT_THROW((void)TruncValue(1E300L), EInvalidOp);
}

TEST_F(CalcTest, NumbersInExpressions) {
  struct row_t {
    const char* expression;
    const char* answer;
  };
  const row_t rows[] = {
      {"$FF", "255"},
      {"$ff", "255"},
      {"$80000000", "-2147483648"},
      {"$FFFFFFFF", "-1"},
      {"1E3", "1000"},
      {"1.5e2", "150"},
      {"1E-3", "0.001"},
      {"2*1e+2", "200"},
      {"1e-5*2", "2E-5"},
      // "$1E" is hexadecimal 30: the minus after it is an operator.
      {"$1E-3", "27"},
      {"(1/100000)*100000", "1"},
      {"1/3", "0.333333333333333"},
      {"10^15", "1E15"},
      {"10^15+1", "1E15"},
      {"2^60", "1.15292150460685E18"},
      {"  7 ", "7"},
      {"\t7\r\n", "7"},
  };
  for (const row_t& r : rows) {
    const auto o = Run(r.expression);
    EXPECT_TRUE(o.ok) << r.expression << ": " << o.error;
    EXPECT_EQ(o.text, r.answer) << r.expression;
  }
}

TEST_F(CalcTest, AnswerIsTheFifteenDigitValue) {
  // The last step reads the text form back, so the answer carries 15 digits.
  EXPECT_EQ(Value("1/3"), 0.333333333333333);
  EXPECT_EQ(Value("2^60"), 1.15292150460685E18);
  EXPECT_EQ(Value("(1/100000)"), 1E-5);
}

}  // namespace
}  // namespace qvl
