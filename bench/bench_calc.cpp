// Evaluations per second of the calculator: a typical input cell, a long
// expression, deep brackets, and the text form of values.
#include <benchmark/benchmark.h>

#include <string>

#include "calc/CalcCustom.h"
#include "calc/Calculator.h"
#include "model/qvl_scene.h"

namespace {

struct setup_t {
  setup_t() {
    qvl::RegisterStandardFunctions(registry);
    card.kind = qvl::scene_kind_t::SpellCard;
    card.initial_spell_card_bonus = 2000000;
    card.time_limit = 60;
    card.decrease_rate = 33333;
    qvl::RegisterScb(registry);
  }
  qvl::TFunctionRegistry registry;
  qvl::scene_t card;
};

setup_t& Setup() {
  static setup_t setup;
  return setup;
}

void Evaluate(benchmark::State& state, const std::string& text) {
  qvl::TCalculator calc(Setup().registry);
  calc.SetNodeProvider([] { return &Setup().card; });
  for (auto _ : state) benchmark::DoNotOptimize(calc.Evaluate(text));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_PlainNumber(benchmark::State& state) {
  Evaluate(state, "1500");
}
BENCHMARK(BM_PlainNumber);

void BM_ScbExpression(benchmark::State& state) {
  Evaluate(state, "scb(37.5)+1500*3");
}
BENCHMARK(BM_ScbExpression);

void BM_MixedExpression(benchmark::State& state) {
  Evaluate(state, "SUM(1200, 350*2, MAX(3,4))/3 + CEIL(2.5)^2 - $FF%7");
}
BENCHMARK(BM_MixedExpression);

// About 40 KB: a thousand terms with brackets, functions and every level.
void BM_LongExpression(benchmark::State& state) {
  std::string text = "0";
  for (int i = 0; i < 1000; ++i) {
    text += "+(SUM(1,2,3)*(4+5)/6-MAX(7,8)^2%9)&255|ABS(-";
    text += std::to_string(i);
    text += ")";
  }
  Evaluate(state, text);
}
BENCHMARK(BM_LongExpression);

void BM_DeepBrackets(benchmark::State& state) {
  const auto depth = static_cast<std::size_t>(state.range(0));
  Evaluate(state, std::string(depth, '(') + "1+1" + std::string(depth, ')'));
}
BENCHMARK(BM_DeepBrackets)->Arg(100)->Arg(10000);

void BM_ValueText(benchmark::State& state) {
  const double values[] = {3.0, 0.5, 1.0 / 3.0, 1.5E20, 2.5E-7, 123456.789};
  for (auto _ : state) {
    for (double v : values) benchmark::DoNotOptimize(qvl::ValueText(v));
  }
  state.SetItemsProcessed(state.iterations() * 6);
}
BENCHMARK(BM_ValueText);

}  // namespace
