// Feeds arbitrary bytes to a calculator with variables, user functions, the
// standard functions and scb, folded from full-width forms or not. Every input must end in an
// answer or in an exception of the calculator's own, with the answer then 0.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calc/CalcCustom.h"
#include "calc/CalcInput.h"
#include "calc/Calculator.h"
#include "model/qvl_scene.h"

namespace {

const qvl::scene_t& SpellCard() {
  static qvl::scene_t card;
  static const bool ready = [] {
    card.kind = qvl::scene_kind_t::SpellCard;
    card.initial_spell_card_bonus = 2000000;
    card.time_limit = 60;
    card.decrease_rate = 33333;
    return true;
  }();
  (void)ready;
  return card;
}

qvl::TFunctionRegistry& Registry() {
  static qvl::TFunctionRegistry registry;
  static const bool ready = [] {
    qvl::RegisterStandardFunctions(registry);
    qvl::RegisterScb(registry);
    return true;
  }();
  (void)ready;
  return registry;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  qvl::TCalculator calc(Registry());
  calc.SetNodeProvider([] { return &SpellCard(); });
  calc.SetVariables({"x=5", "y=$10", "half=0.5", "big=1E300"});
  calc.SetUserFuncNames({"f=1,3", "g", "h=2"});
  calc.OnFunction = [](qvl::TCalculator&, int index, int count, std::span<const double> values,
                       double& result, bool& handled) {
    Check(static_cast<int>(values.size()) == count);
    // A whole line ("h=2") names a function too, with any argument count.
    if (index == 0 && count >= 1) result = values[0];
    if (index == 1) handled = count % 2 == 0;
    if (index == 2 && count >= 2) result = values[0] - values[1];
  };
  std::size_t traced = 0;
  if (mode & 1) calc.OnTrace = [&](qvl::TCalculator&, const std::string& t) { traced += t.size(); };
  if (mode & 2) calc.OnError = [](qvl::TCalculator&, const std::exception&, bool&) {};
  try {
    if (mode & 4) {
      // Lines before the first NUL byte go to one of the lists.
      const std::size_t cut = input.find('\0');
      if (cut != std::string_view::npos) {
        std::vector<std::string> lines;
        std::string_view head = input.substr(0, cut);
        for (std::size_t at; (at = head.find('\n')) != std::string_view::npos;
             head.remove_prefix(at + 1)) {
          lines.emplace_back(head.substr(0, at));
        }
        lines.emplace_back(head);
        input.remove_prefix(cut + 1);
        if (mode & 8) {
          calc.SetUserFuncNames(lines);
        } else {
          calc.SetVariables(lines);
        }
      }
    }
    calc.SetAutoStart(true);  // evaluates the empty expression: fails
  } catch (const std::exception&) {
    Check(calc.Answer() == 0);
  }
  // As the pattern editor evaluates a cell: full-width forms folded first.
  const std::string folded = mode & 16 ? qvl::HalfWidthExpression(input) : std::string();
  if (mode & 16) input = folded;
  try {
    calc.SetExpression(input);
    Check(std::isfinite(calc.Answer()));
    long double back = 0;
    Check(qvl::TryReadNumber(calc.AnswerText(), back));
  } catch (const std::exception&) {
    Check(calc.Answer() == 0);
  }
  return 0;
}
