#include "calc/Calculator.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "calc/Calculator_internal.h"
#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

// ---------------------------------------------------------------------------
// Messages.

std::string FillIn(const std::string& format, std::string_view text) {
  return FillPlaceholders(format, {text});
}

const std::string& InvalidNameMessage() {
  return Message(message_t::CalcInvalidName);
}
const std::string& NotNameValueMessage() {
  return Message(message_t::CalcNotNameValue);
}
const std::string& RegisteredMessage() {
  return Message(message_t::CalcRegisteredFunction);
}
const std::string& InUserFuncNamesMessage() {
  return Message(message_t::CalcInUserFuncNames);
}
const std::string& InVariablesMessage() {
  return Message(message_t::CalcInVariables);
}

// ---------------------------------------------------------------------------
// Names in the lists.

constexpr std::string_view kForbiddenInNames = " !\"#$%&'()=~|\\+-*/<>}{[].,?";

// The name that the list checks look at.
std::string_view CheckedName(std::string_view line) {
  const std::size_t at = line.find('=');
  if (at == std::string_view::npos || at == 0) return line;
  return line.substr(0, at);
}

bool IsInvalidName(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsCp932LeadByte(c) && i + 1 < name.size()) {
      ++i;  // the trail byte of a double-byte character is no character of its own
      continue;
    }
    if (kForbiddenInNames.find(static_cast<char>(c)) != std::string_view::npos) return true;
  }
  long double v = 0;
  return TryReadNumber(name, v);
}

// Folded name parts and whole lines of a list: "is the name in that list".
std::unordered_set<std::string> NamesOf(const std::vector<std::string>& lines) {
  std::unordered_set<std::string> names;
  for (const std::string& line : lines) {
    if (line.find('=') != std::string::npos) names.insert(FoldName(TCalcStrings::NamePart(line)));
    names.insert(FoldName(line));
  }
  return names;
}

}  // namespace

// ---------------------------------------------------------------------------
// Exceptions.

EInvalidComma::EInvalidComma() : ECalculator(qvl::Message(message_t::CalcInvalidComma)) {}
EUndefinedIdent::EUndefinedIdent(std::string_view ident)
    : ECalculator(FormatMessage(message_t::CalcUndefinedIdent, {ident})), ident_(ident) {}
ENoMarkBetweenValue::ENoMarkBetweenValue()
    : ECalculator(qvl::Message(message_t::CalcNoMarkBetweenValue)) {}
ENoValueBetweenMark::ENoValueBetweenMark()
    : ECalculator(qvl::Message(message_t::CalcNoValueBetweenMark)) {}
ENoValueAfterMark::ENoValueAfterMark()
    : ECalculator(qvl::Message(message_t::CalcNoValueAfterMark)) {}
EInvalidBracket::EInvalidBracket() : ECalculator(qvl::Message(message_t::CalcInvalidBracket)) {}
EEmptyExpression::EEmptyExpression() : ECalculator(qvl::Message(message_t::CalcEmptyExpression)) {}
ENotEnoughParameters::ENotEnoughParameters(std::string_view function_name)
    : ECalculator(FormatMessage(message_t::CalcNotEnoughParameters, {function_name})) {}
ETooManyParameters::ETooManyParameters(std::string_view function_name)
    : ECalculator(FormatMessage(message_t::CalcTooManyParameters, {function_name})) {}
EExpressionTooLong::EExpressionTooLong()
    : ECalculator(qvl::Message(message_t::CalcExpressionTooLong)) {}

// ---------------------------------------------------------------------------
// Names and the registry.

std::string FoldName(std::string_view name) {
  return LowerAsciiCp932(name);
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldName(a) == FoldName(b);
}

namespace {

std::shared_ptr<TCalcFunctionEntry> NewEntry(std::string_view name, int min_args, int max_args,
                                             std::string_view help) {
  auto entry = std::make_shared<TCalcFunctionEntry>();
  entry->name = std::string(name.substr(0, 20));
  entry->min_args = std::max(min_args, 0);
  entry->max_args = std::min(max_args, 32767);
  entry->help = std::string(help.substr(0, 255));
  return entry;
}

}  // namespace

void TFunctionRegistry::RegisterFunction(std::string_view name, int min_args, int max_args,
                                         std::string_view help, TCalcFunction function) {
  auto entry = NewEntry(name, min_args, max_args, help);
  entry->function = std::move(function);
  entries_[FoldName(name)] = std::move(entry);
}

void TFunctionRegistry::RegisterCallerFunction(std::string_view name, int min_args, int max_args,
                                               std::string_view help,
                                               TCalcCallerFunction function) {
  auto entry = NewEntry(name, min_args, max_args, help);
  entry->caller_function = std::move(function);
  entries_[FoldName(name)] = std::move(entry);
}

std::shared_ptr<const TCalcFunctionEntry> TFunctionRegistry::Find(std::string_view name) const {
  if (entries_.empty()) return nullptr;
  const auto it = entries_.find(FoldName(name));
  return it == entries_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<const TCalcFunctionEntry>> TFunctionRegistry::Entries() const {
  std::vector<std::shared_ptr<const TCalcFunctionEntry>> out;
  out.reserve(entries_.size());
  for (const auto& [key, entry] : entries_) out.push_back(entry);
  return out;
}

TFunctionRegistry& FunctionRegistry() {
  static TFunctionRegistry registry;
  return registry;
}

void RegisterFunction(std::string_view name, int min_args, int max_args, std::string_view help,
                      TCalcFunction function) {
  FunctionRegistry().RegisterFunction(name, min_args, max_args, help, std::move(function));
}

// ---------------------------------------------------------------------------
// TCalcStrings.

void TCalcStrings::CheckIndex(int index, bool allow_end) const {
  const int limit = allow_end ? Count() : Count() - 1;
  if (index < 0 || index > limit) throw std::out_of_range("list index out of bounds");
}

const std::string& TCalcStrings::At(int index) const {
  CheckIndex(index, false);
  return lines_[static_cast<std::size_t>(index)];
}

void TCalcStrings::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void TCalcStrings::Insert(int index, std::string line) {
  CheckIndex(index, true);
  lines_.insert(lines_.begin() + index, std::move(line));
  Changed();
}

void TCalcStrings::Put(int index, std::string line) {
  CheckIndex(index, false);
  lines_[static_cast<std::size_t>(index)] = std::move(line);
  Changed();
}

void TCalcStrings::Delete(int index) {
  CheckIndex(index, false);
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TCalcStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TCalcStrings::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Changed();
}

void TCalcStrings::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0 && pending_) {
    pending_ = false;
    if (on_change_) on_change_();
  }
}

void TCalcStrings::Changed() {
  ++version_;
  if (update_count_ > 0) {
    pending_ = true;
    return;
  }
  if (on_change_) on_change_();
}

std::string_view TCalcStrings::NamePart(std::string_view line) {
  const std::size_t at = line.find('=');
  return at == std::string_view::npos ? std::string_view() : line.substr(0, at);
}

std::string_view TCalcStrings::ValuePart(std::string_view line) {
  const std::size_t at = line.find('=');
  return at == std::string_view::npos ? std::string_view() : line.substr(at + 1);
}

int TCalcStrings::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].find('=') != std::string::npos && SameName(NamePart(lines_[i]), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int TCalcStrings::IndexOf(std::string_view text) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (SameName(lines_[i], text)) return static_cast<int>(i);
  }
  return -1;
}

// ---------------------------------------------------------------------------
// TCalculator.

TCalculator::TCalculator() : TCalculator(FunctionRegistry()) {}

TCalculator::TCalculator(TFunctionRegistry& registry) : TCalculator(registry, false) {}

TCalculator::TCalculator(TFunctionRegistry& registry, bool auto_start)
    : registry_(&registry), auto_start_(auto_start) {
  variables_.on_change_ = [this] { CheckVariables(); };
  user_func_names_.on_change_ = [this] { CheckUserFuncNames(); };
}

TCalculator::~TCalculator() {
  variables_.on_change_ = nullptr;
  user_func_names_.on_change_ = nullptr;
}

void TCalculator::SetAutoStart(bool on) {
  const bool was_on = auto_start_;
  auto_start_ = on;
  if (on && !was_on) Calculate();
}

void TCalculator::SetExpression(std::string_view text) {
  if (text == expression_) return;
  expression_ = std::string(text);
  if (auto_start_) Calculate();
}

void TCalculator::SetVariables(const std::vector<std::string>& lines) {
  if (lines == variables_.Lines()) return;
  variables_.Assign(lines);
}

void TCalculator::SetUserFuncNames(const std::vector<std::string>& lines) {
  if (lines == user_func_names_.Lines()) return;
  user_func_names_.Assign(lines);
}

double TCalculator::Evaluate(std::string_view text) {
  expression_ = std::string(text);
  Calculate();
  return answer_;
}

void TCalculator::Calculate() {
  if (loading_) return;
  answer_ = 0;
  try {
    const double value = calc_detail::EvaluateExpression(*this, expression_);
    answer_ = value;
    if (OnCalculate) {
      const TCalcNotifyEvent handler = OnCalculate;
      handler(*this);
    }
  } catch (const std::exception& e) {
    answer_ = 0;
    if (!OnError) throw;
    const TCalcErrorEvent handler = OnError;
    bool handled = true;
    handler(*this, e, handled);
    if (!handled) throw;
  } catch (...) {
    answer_ = 0;
    throw;
  }
}

void TCalculator::FinishCheck(const std::string& report) {
  if (!report.empty() && !loading_) throw EInvalidIdentList(report);
  if (auto_start_) Calculate();
}

void TCalculator::CheckVariables() {
  std::string report;
  auto add_paragraph = [&](const std::string& paragraph) {
    if (!report.empty()) report += "\r\n\r\n";
    report += paragraph;
  };
  // Runs one check over the lines with a name, removing those that fail it.
  auto run_check = [&](auto&& fails) {
    std::vector<std::string>& lines = variables_.lines_;
    std::string names;
    bool removed = false;
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    for (std::string& line : lines) {
      const std::string_view name = CheckedName(line);
      if (!name.empty() && fails(line, name)) {
        if (!names.empty()) names += ", ";
        names += name;
        removed = true;
      } else {
        kept.push_back(std::move(line));
      }
    }
    lines = std::move(kept);
    if (removed) ++variables_.version_;
    return std::make_pair(removed, names);
  };

  if (auto [removed, names] =
          run_check([](std::string_view, std::string_view name) { return IsInvalidName(name); });
      removed) {
    add_paragraph(FillIn(InvalidNameMessage(), names));
  }
  if (auto [removed, names] = run_check([](std::string_view line, std::string_view) {
        long double v = 0;
        return line.find('=') == std::string_view::npos ||
               !TryReadNumber(TCalcStrings::ValuePart(line), v);
      });
      removed) {
    add_paragraph(NotNameValueMessage());
  }
  if (auto [removed, names] = run_check(
          [this](std::string_view, std::string_view name) { return registry_->Contains(name); });
      removed) {
    add_paragraph(FillIn(RegisteredMessage(), names));
  }
  const std::unordered_set<std::string> user_names = NamesOf(user_func_names_.Lines());
  if (auto [removed, names] = run_check([&](std::string_view, std::string_view name) {
        return user_names.count(FoldName(name)) > 0;
      });
      removed) {
    add_paragraph(FillIn(InUserFuncNamesMessage(), names));
  }
  FinishCheck(report);
}

// Every removal from UserFuncNames starts the whole check again on the lines
// that remain, so the check that removes the last offending line is the
// innermost one to report, and it names that line alone; the check beneath it
// found nothing and evaluated. Lines fail independently of each other, so the
// removals are done in one sweep: the reported line is the last of those that
// fail the latest check any line fails first.
void TCalculator::CheckUserFuncNames() {
  const std::unordered_set<std::string> variable_names = NamesOf(variables_.Lines());
  std::vector<std::string>& lines = user_func_names_.lines_;
  int worst_check = 0;
  std::string worst_name;
  std::vector<std::string> kept;
  kept.reserve(lines.size());
  for (std::string& line : lines) {
    const std::string_view name = CheckedName(line);
    int failed = 0;
    if (!name.empty()) {
      if (IsInvalidName(name)) {
        failed = 1;
      } else if (registry_->Contains(name)) {
        failed = 2;
      } else if (variable_names.count(FoldName(name)) > 0) {
        failed = 3;
      }
    }
    if (failed == 0) {
      kept.push_back(std::move(line));
    } else if (failed >= worst_check) {
      worst_check = failed;
      worst_name = std::string(name);
    }
  }
  lines = std::move(kept);
  if (worst_check == 0) {
    FinishCheck({});
    return;
  }
  ++user_func_names_.version_;
  if (auto_start_) Calculate();
  const std::string& format = worst_check == 1   ? InvalidNameMessage()
                              : worst_check == 2 ? RegisteredMessage()
                                                 : InVariablesMessage();
  if (!loading_) throw EInvalidIdentList(FillIn(format, worst_name));
}

}  // namespace qvl
