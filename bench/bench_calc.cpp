// Evaluations per second of the calculator: a typical input cell, a long
// expression, deep brackets, and the text form of values. Last, `qvl calc` on
// many expressions beside Python's eval of the same texts, where python3 is
// installed: in this process, and as whole processes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "calc/CalcCustom.h"
#include "calc/Calculator.h"
#include "cli/qvl_commands.h"
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

// Expressions that read the same to the calculator and to Python, as a
// player types them into the cells.
std::vector<std::string> ManyExpressions() {
  std::vector<std::string> out;
  for (int i = 0; i < 1000; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 4) {
      case 0:
        out.push_back("1500*3+" + n);
        break;
      case 1:
        out.push_back("(12+" + n + ")*4-3");
        break;
      case 2:
        out.push_back(n + "/8+0.5");
        break;
      default:
        out.push_back("20000000-" + n + "*33333");
        break;
    }
  }
  return out;
}

// Seconds per expression of Python's eval, as python3 measures its own loop;
// negative when python3 cannot be run.
double PythonEvalSeconds(const std::vector<std::string>& expressions) {
  std::string list;
  for (const std::string& e : expressions) list += "'" + e + "',";
  const std::string script = "import time\ne=[" + list +
                             "]\nt=time.process_time()\nfor _ in range(5):\n for x in e: eval(x)\n"
                             "print((time.process_time()-t)/(5*len(e)))\n";
  const std::string path = "/tmp/qvl_bench_calc_" + std::to_string(::getpid()) + ".py";
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return -1;
  std::fputs(script.c_str(), file);
  std::fclose(file);
  double seconds = -1;
  if (std::FILE* pipe = ::popen(("python3 " + path + " 2>/dev/null").c_str(), "r")) {
    if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
    ::pclose(pipe);
  }
  std::remove(path.c_str());
  return seconds;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// What `qvl calc` does for each argument: the text from UTF-8, full-width
// forms folded, evaluated, the answer back to UTF-8. `python_over_qvl` is
// Python's CPU time per expression over ours: above 1 when qvl is faster.
void BM_QvlCalcAgainstPythonEval(benchmark::State& state) {
  const std::vector<std::string> expressions = ManyExpressions();
  double qvl = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    std::ostringstream out;
    if (qvl::cli::Calc(nullptr, expressions, out) != 0) state.SkipWithError("an expression failed");
    benchmark::DoNotOptimize(out.str().size());
    qvl += CpuSeconds() - start;
  }
  const double per_expression =
      qvl / (static_cast<double>(state.iterations()) * static_cast<double>(expressions.size()));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(expressions.size()));
  state.counters["qvl_us"] = per_expression * 1e6;
  const double python = PythonEvalSeconds(expressions);
  if (python > 0 && per_expression > 0) {
    state.counters["python_us"] = python * 1e6;
    state.counters["python_over_qvl"] = python / per_expression;
  }
}
BENCHMARK(BM_QvlCalcAgainstPythonEval)->Unit(benchmark::kMillisecond);

#ifdef QVL_CLI

// The CPU time of a child process, start-up and exit included; negative
// when it could not be run or failed.
double ChildCpuSeconds(std::vector<std::string> argv) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Whole processes, in turn within each iteration: `qvl calc` given 20,000
// cell expressions as its arguments, and python3 evaluating and printing the
// same ones read from a file. `ratio` is Python's CPU time over ours (at
// least 2.5).
void BM_QvlCalcProcessAgainstPython(benchmark::State& state) {
  std::vector<std::string> expressions;
  while (expressions.size() < 20000) {
    for (const std::string& e : ManyExpressions()) expressions.push_back(e);
  }
  const std::string path = "/tmp/qvl_bench_calc_" + std::to_string(::getpid()) + ".txt";
  if (std::FILE* file = std::fopen(path.c_str(), "w")) {
    for (const std::string& e : expressions) std::fprintf(file, "%s\n", e.c_str());
    std::fclose(file);
  }
  std::vector<std::string> qvl_argv = {QVL_CLI, "calc", "--"};
  qvl_argv.insert(qvl_argv.end(), expressions.begin(), expressions.end());
  const std::vector<std::string> python_argv = {
      "python3", "-c", "import sys\nfor x in open(sys.argv[1]).read().split():\n print(eval(x))",
      path};
  double qvl = 0;
  double python = 0;
  for (auto _ : state) {
    const double ours = ChildCpuSeconds(qvl_argv);
    const double theirs = ChildCpuSeconds(python_argv);
    if (ours < 0) {
      state.SkipWithError("qvl calc failed");
      break;
    }
    if (theirs < 0) {
      state.SkipWithError("python3 could not be run");
      break;
    }
    qvl += ours;
    python += theirs;
  }
  std::remove(path.c_str());
  const auto n = static_cast<double>(state.iterations());
  state.counters["qvl_ms"] = qvl / n * 1e3;
  state.counters["python_ms"] = python / n * 1e3;
  state.counters["ratio"] = qvl > 0 ? python / qvl : 0;
}
BENCHMARK(BM_QvlCalcProcessAgainstPython)->Unit(benchmark::kMillisecond)->Iterations(5);

#endif

}  // namespace
