// The expression calculator: TCalculator, its exceptions, the function
// registry that every calculator of the program shares, and the number reading
// and text form that the evaluation is built on.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvl {

class TCalculator;
class scene_base_t;

// ---------------------------------------------------------------------------
// Failures. Every message is code page 932 text.

// An error of the calculator itself: a malformed expression or a list line
// that cannot name a variable or a user function.
class ECalculator : public std::exception {
 public:
  explicit ECalculator(std::string message) : message_(std::move(message)) {}
  [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }
  [[nodiscard]] const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

class EInvalidComma : public ECalculator {
 public:
  EInvalidComma();
};
// Carries the name or text that failed to resolve.
class EUndefinedIdent : public ECalculator {
 public:
  explicit EUndefinedIdent(std::string_view ident);
  [[nodiscard]] const std::string& Ident() const noexcept { return ident_; }

 private:
  std::string ident_;
};
class ENoMarkBetweenValue : public ECalculator {
 public:
  ENoMarkBetweenValue();
};
class ENoValueBetweenMark : public ECalculator {
 public:
  ENoValueBetweenMark();
};
class ENoValueAfterMark : public ECalculator {
 public:
  ENoValueAfterMark();
};
class EInvalidBracket : public ECalculator {
 public:
  EInvalidBracket();
};
class EEmptyExpression : public ECalculator {
 public:
  EEmptyExpression();
};
class ENotEnoughParameters : public ECalculator {
 public:
  explicit ENotEnoughParameters(std::string_view function_name);
};
class ETooManyParameters : public ECalculator {
 public:
  explicit ETooManyParameters(std::string_view function_name);
};
// The report of a list check; the offending lines are already removed.
class EInvalidIdentList : public ECalculator {
 public:
  explicit EInvalidIdentList(std::string report) : ECalculator(std::move(report)) {}
};
// An expression longer than kMaxExpressionLength (before or after variables
// are substituted). No cell of a pattern comes anywhere near it; the bound
// keeps a pasted or generated text from tying up the program.
class EExpressionTooLong : public ECalculator {
 public:
  EExpressionTooLong();
};

// The arithmetic errors. They are detected before an infinity or a
// not-a-number value could arise, so no value ever leaves the calculator
// non-finite. Their messages are fixed English texts.
class EMathError : public std::exception {
 public:
  explicit EMathError(const char* message) : message_(message) {}
  [[nodiscard]] const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
};
// Floating-point division of a non-zero value by zero.
class EZeroDivide : public EMathError {
 public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};
// 0/0, square root or logarithm of a negative value, a truncation outside the
// signed 64-bit range, arcsine or arccosine outside -1..1 and the like.
class EInvalidOp : public EMathError {
 public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};
// A result beyond the double range.
class EOverflow : public EMathError {
 public:
  EOverflow() : EMathError("Floating point overflow") {}
};
// Integer division or remainder with a divisor of zero.
class EDivByZero : public EMathError {
 public:
  EDivByZero() : EMathError("Division by zero") {}
};

inline constexpr std::size_t kMaxExpressionLength = std::size_t{1} << 20;

// ---------------------------------------------------------------------------
// Numbers and their text.

// Reads a number: "$" and up to 8 significant hexadecimal digits (a signed
// 32-bit pattern), or a decimal number with optional sign, point and exponent
// and optional spaces around it. False when the text is not a number, also
// when its value is beyond the extended range; a value too small for that
// range reads as zero.
[[nodiscard]] bool TryReadNumber(std::string_view text, long double& value);
// The text form of a value: 15 significant digits, fixed notation from 1E-4
// up to below 1E15, scientific notation ("1.5E20", "1E-5") otherwise.
[[nodiscard]] std::string ValueText(double value);

// Extended-precision helpers shared by the operators and the functions.
// Rounds to double: EInvalidOp for not-a-number, EOverflow beyond the double range.
[[nodiscard]] double StoreValue(long double x);
// Truncation toward zero; EInvalidOp outside the signed 64-bit range.
[[nodiscard]] std::int64_t TruncValue(long double x);
// The power operator: whole exponents up to 2^31 - 1 in magnitude by repeated
// squaring, any other exponent through the logarithm.
[[nodiscard]] long double PowerValue(long double base, long double exponent);

// ---------------------------------------------------------------------------
// The function registry.

// A registered function gets its arguments left to right; the calculator has
// checked their count against the entry before the call.
using TCalcFunction = std::function<double(std::span<const double> args)>;
// A function that also reads the calculator evaluating it (scb asks it for the
// selected node), so that calculators of several windows never share state.
using TCalcCallerFunction =
    std::function<double(const TCalculator& caller, std::span<const double> args)>;

struct TCalcFunctionEntry {
  std::string name;  // as registered, cut to 20 bytes
  std::int32_t min_args = 0;
  std::int32_t max_args = 0;
  TCalcFunction function;
  TCalcCallerFunction caller_function;  // set instead of function for such entries
  std::string help;                     // cut to 255 bytes; kept, shown nowhere
};

// Functions by name, letter case ignored (double-byte characters compare as
// they are). The program shares one (FunctionRegistry()); tests may keep their own.
class TFunctionRegistry {
 public:
  // A negative minimum is stored as 0, a maximum above 32767 as 32767. A name
  // already present (letter case ignored) replaces the earlier entry.
  void RegisterFunction(std::string_view name, int min_args, int max_args, std::string_view help,
                        TCalcFunction function);
  void RegisterCallerFunction(std::string_view name, int min_args, int max_args,
                              std::string_view help, TCalcCallerFunction function);
  // Null when the name is not registered. The entry stays alive for its holder
  // even when a later registration replaces it.
  [[nodiscard]] std::shared_ptr<const TCalcFunctionEntry> Find(std::string_view name) const;
  [[nodiscard]] bool Contains(std::string_view name) const { return Find(name) != nullptr; }
  [[nodiscard]] int Count() const { return static_cast<int>(entries_.size()); }
  // Every entry, sorted by name without regard to letter case.
  [[nodiscard]] std::vector<std::shared_ptr<const TCalcFunctionEntry>> Entries() const;
  void Clear() { entries_.clear(); }

 private:
  std::map<std::string, std::shared_ptr<const TCalcFunctionEntry>> entries_;  // by folded full name
};

// The program-wide registry, created empty on first use.
[[nodiscard]] TFunctionRegistry& FunctionRegistry();
// Registers into the program-wide registry.
void RegisterFunction(std::string_view name, int min_args, int max_args, std::string_view help,
                      TCalcFunction function);

// Letter-case folding for the comparisons of names: ASCII letters are
// lowered, the two bytes of a code page 932 double-byte character are kept.
[[nodiscard]] std::string FoldName(std::string_view name);
[[nodiscard]] bool SameName(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------
// The calculator's two line lists.

// A list of lines that tells its calculator about every change, so that the
// calculator can check it. Changes inside BeginUpdate/EndUpdate are reported
// once, at the last EndUpdate.
class TCalcStrings {
 public:
  TCalcStrings() = default;
  TCalcStrings(const TCalcStrings&) = delete;
  TCalcStrings& operator=(const TCalcStrings&) = delete;

  [[nodiscard]] int Count() const { return static_cast<int>(lines_.size()); }
  [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }
  // Throws std::out_of_range outside 0 .. Count() - 1, like every indexed operation.
  [[nodiscard]] const std::string& At(int index) const;

  void Add(std::string line);
  void Insert(int index, std::string line);
  void Put(int index, std::string line);
  void Delete(int index);
  void Clear();
  void Assign(std::vector<std::string> lines);
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();

  // The text before the first "=" of a line, or "" when it has none; the text after it.
  [[nodiscard]] static std::string_view NamePart(std::string_view line);
  [[nodiscard]] static std::string_view ValuePart(std::string_view line);
  // The first line whose name part equals name (letter case ignored), or -1.
  [[nodiscard]] int IndexOfName(std::string_view name) const;
  // The first line equal to text as a whole (letter case ignored), or -1.
  [[nodiscard]] int IndexOf(std::string_view text) const;
  // Counts every change, so that lookups built from the lines know when they are stale.
  [[nodiscard]] std::uint64_t Version() const { return version_; }

 private:
  friend class TCalculator;
  void Changed();
  void CheckIndex(int index, bool allow_end) const;

  std::vector<std::string> lines_;
  std::function<void()> on_change_;
  int update_count_ = 0;
  bool pending_ = false;
  std::uint64_t version_ = 0;
};

// ---------------------------------------------------------------------------
// The calculator.

// Answers a call of a line of UserFuncNames (FuncIndex is the line's index).
// Result is 0 and Handled true on entry; Handled false makes the call fail.
using TCalcFunctionEvent =
    std::function<void(TCalculator& Sender, int FuncIndex, int ParaCount,
                       std::span<const double> Values, double& Result, bool& Handled)>;
// Sees every failure of an evaluation; Handled is true on entry and keeps the
// failure from reaching the caller while it stays true.
using TCalcErrorEvent =
    std::function<void(TCalculator& Sender, const std::exception& E, bool& Handled)>;
// Observes the intermediate texts of an evaluation.
using TCalcTraceEvent =
    std::function<void(TCalculator& Sender, const std::string& InnerExpression)>;
using TCalcNotifyEvent = std::function<void(TCalculator& Sender)>;

// Turns an expression text into one value. The lists are checked whenever
// they change; with AutoStart every change of the expression or the lists
// evaluates at once, and the failures come out of the change.
class TCalculator {
 public:
  // A calculator that calls the functions of the program-wide registry.
  TCalculator();
  // A calculator that calls the functions of the given registry, which must
  // outlive it.
  explicit TCalculator(TFunctionRegistry& registry);
  // A calculator whose AutoStart is on from its creation, as if restored with
  // it: nothing is evaluated until the expression first changes.
  TCalculator(TFunctionRegistry& registry, bool auto_start);
  TCalculator(const TCalculator&) = delete;
  TCalculator& operator=(const TCalculator&) = delete;
  ~TCalculator();

  TCalcFunctionEvent OnFunction;
  TCalcErrorEvent OnError;
  TCalcTraceEvent OnTrace;
  TCalcNotifyEvent OnCalculate;

  [[nodiscard]] bool AutoStart() const { return auto_start_; }
  // Switching it on evaluates the current expression at once.
  void SetAutoStart(bool on);

  // The value of the last evaluation; 0 after a failed one.
  [[nodiscard]] double Answer() const { return answer_; }
  // The text form of Answer().
  [[nodiscard]] std::string AnswerText() const { return ValueText(answer_); }

  [[nodiscard]] const std::string& Expression() const { return expression_; }
  // A text equal to the current one (byte for byte) changes nothing and is not
  // evaluated again. Another text is stored and, with AutoStart, evaluated.
  void SetExpression(std::string_view text);

  // Lines name=value.
  [[nodiscard]] TCalcStrings& Variables() { return variables_; }
  [[nodiscard]] const TCalcStrings& Variables() const { return variables_; }
  // Lines name, name=count or name=minimum,maximum.
  [[nodiscard]] TCalcStrings& UserFuncNames() { return user_func_names_; }
  [[nodiscard]] const TCalcStrings& UserFuncNames() const { return user_func_names_; }
  // Copies the lines when they differ from the current ones; the copy is checked.
  void SetVariables(const std::vector<std::string>& lines);
  void SetUserFuncNames(const std::vector<std::string>& lines);

  // Evaluates the current expression.
  void Calculate();
  // Stores text as the expression and evaluates it, also when it equals the
  // previous one; returns Answer().
  double Evaluate(std::string_view text);

  // While loading (restoring stored properties), Calculate does nothing and
  // the list checks drop offending lines without raising.
  [[nodiscard]] bool Loading() const { return loading_; }
  void SetLoading(bool loading) { loading_ = loading; }

  [[nodiscard]] TFunctionRegistry& Registry() const { return *registry_; }

  // Answers "which node is selected now" for the functions that read it (scb):
  // a scene, a group, or null. Each calculator has its own, so that several
  // windows and tests evaluate side by side.
  using TNodeProvider = std::function<const scene_base_t*()>;
  void SetNodeProvider(TNodeProvider provider) { node_provider_ = std::move(provider); }
  [[nodiscard]] const scene_base_t* SelectedNode() const {
    return node_provider_ ? node_provider_() : nullptr;
  }

 private:
  void CheckVariables();
  void CheckUserFuncNames();
  void FinishCheck(const std::string& report);

  TFunctionRegistry* registry_;
  TNodeProvider node_provider_;
  bool auto_start_ = false;
  bool loading_ = false;
  double answer_ = 0;
  std::string expression_;
  TCalcStrings variables_;
  TCalcStrings user_func_names_;
};

}  // namespace qvl
