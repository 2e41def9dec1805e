#include "model/qvl_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/qvl_text.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

class FileWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = fs::temp_directory_path() /
           ("qvl_file_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  [[nodiscard]] std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  fs::path dir_;
};

// A process id that no process has any more.
pid_t DeadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST_F(FileWriteTest, ReadOnlyFileIsNotReplaced) {
  // For the superuser too: a file without any write bit was made read-only
  // on purpose. (For other users the system's own rule decides.)
  const fs::path file = dir_ / "doc.pat";
  Write(file, "kept");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const save_result_t result = WriteFileAtomically(file, "new");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error,
            Utf8ToCp932("ファイルを置き換えられません。") + "(" + std::strerror(EACCES) + ")");
  EXPECT_EQ(Read(file), "kept");
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
}

TEST_F(FileWriteTest, StaleTemporaryFilesOfEndedProcessesGo) {
  const std::string dead = ".doc.pat." + std::to_string(DeadProcess()) + ".3.tmp";
  const std::string running = ".doc.pat." + std::to_string(::getppid()) + ".4.tmp";
  for (const std::string& name :
       {dead, running, std::string("notes.7.tmp"), std::string(".x.tmp")}) {
    Write(dir_ / name, "partial");
  }
  ASSERT_TRUE(WriteFileAtomically(dir_ / "doc.pat", "whole").ok);
  std::vector<std::string> expected = {".x.tmp", running, "doc.pat", "notes.7.tmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Files(), expected);
  EXPECT_EQ(Read(dir_ / "doc.pat"), "whole");
}

TEST_F(FileWriteTest, NewFileFollowsTheUmask) {
  const mode_t old_mask = ::umask(027);
  const save_result_t result = WriteFileAtomically(dir_ / "new.pat", "x");
  ::umask(old_mask);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(fs::status(dir_ / "new.pat").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace qvl
