// Time from process start to the first painted frame: quovel-pm with the Hard
// template, beside the same window of plain Qt widgets and an empty
// QMainWindow started the same way. Both programs
// print "painted" once their window has painted (QVL_STARTUP_PROBE) and quit.
// Without a display the offscreen platform stands in.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path BinDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

// Starts the program with its settings in config (not the user's: the
// template must not join the user's recent files, nor the user's language or
// window size change the figures) and returns the seconds until it reported
// its first frame, or a negative value when it did not.
double TimeToFirstFrame(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments,
                        const std::filesystem::path& config) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(pipe_fds[1], STDOUT_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    setenv("QVL_STARTUP_PROBE", "1", 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) {
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(name.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string out;
  char buffer[64];
  ssize_t n = 0;
  while (out.find("painted") == std::string::npos &&
         (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
    out.append(buffer, static_cast<std::size_t>(n));
  }
  const auto painted = std::chrono::steady_clock::now();
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (out.find("painted") == std::string::npos) return -1;
  return std::chrono::duration<double>(painted - start).count();
}

// The programs' settings while they are timed, in a folder of their own that
// goes with the benchmark; empty when none could be made.
struct settings_folder_t {
  std::filesystem::path path;

  settings_folder_t() {
    std::string name = (std::filesystem::temp_directory_path() / "qvl_startup_XXXXXX").string();
    if (mkdtemp(name.data()) != nullptr) path = name;
  }
  settings_folder_t(const settings_folder_t&) = delete;
  settings_folder_t& operator=(const settings_folder_t&) = delete;
  ~settings_folder_t() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

void Run(benchmark::State& state, const std::string& program,
         const std::vector<std::string>& arguments) {
  const std::filesystem::path path = BinDir() / program;
  if (!std::filesystem::exists(path)) {
    state.SkipWithError((program + " was not built").c_str());
    return;
  }
  const settings_folder_t config;
  if (config.path.empty()) {
    state.SkipWithError("no folder for the program's settings");
    return;
  }
  for (auto _ : state) {
    const double seconds = TimeToFirstFrame(path, arguments, config.path);
    if (seconds < 0) {
      state.SkipWithError((program + " did not report a painted frame").c_str());
      break;
    }
    state.SetIterationTime(seconds);
  }
}

// quovel-pm with the Hard template and the plain window of the same widgets
// and texts, in turn within each iteration: `ratio` is the median of their
// quotients (at most 1.05).
void BM_StartupAgainstPlainWindow(benchmark::State& state) {
  const std::filesystem::path program = BinDir() / "quovel-pm";
  const std::filesystem::path plain = BinDir() / "qvl_startup_plain";
  if (!std::filesystem::exists(program) || !std::filesystem::exists(plain)) {
    state.SkipWithError("quovel-pm or qvl_startup_plain was not built");
    return;
  }
  const settings_folder_t config;
  if (config.path.empty()) {
    state.SkipWithError("no folder for the program's settings");
    return;
  }
  const std::vector<std::string> hard = {(BinDir() / "template" / "qvl_hard.pat").string()};
  std::vector<double> ratios;
  double ours_total = 0;
  double plain_total = 0;
  for (auto _ : state) {
    const double ours = TimeToFirstFrame(program, hard, config.path);
    const double yardstick = TimeToFirstFrame(plain, {}, config.path);
    if (ours < 0 || yardstick <= 0) {
      state.SkipWithError("a program did not report a painted frame");
      break;
    }
    ours_total += ours;
    plain_total += yardstick;
    ratios.push_back(ours / yardstick);
    state.SetIterationTime(ours);
  }
  if (ratios.empty()) return;
  std::sort(ratios.begin(), ratios.end());
  const auto n = static_cast<double>(ratios.size());
  state.counters["ours_ms"] = ours_total / n * 1e3;
  state.counters["plain_ms"] = plain_total / n * 1e3;
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_StartupAgainstPlainWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_StartupEmptyMainWindow(benchmark::State& state) {
  Run(state, "qvl_startup_empty", {});
}
BENCHMARK(BM_StartupEmptyMainWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_StartupHardTemplate(benchmark::State& state) {
  Run(state, "quovel-pm", {(BinDir() / "template" / "qvl_hard.pat").string()});
}
BENCHMARK(BM_StartupHardTemplate)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
