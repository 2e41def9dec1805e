#include "model/qvl_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

TEST_F(FileWriteTest, OnlyARegularFileIsReplaced) {
  // What each target is made into; each must stay exactly that.
  const auto make_fifo = [](const fs::path& p) { return ::mkfifo(p.c_str(), 0644) == 0; };
  const auto make_socket = [](const fs::path& p) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, p.c_str(), sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
  };
  // A null device of its own: making one needs the superuser, else skipped.
  const auto make_device = [](const fs::path& p) {
    return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  };
  const auto make_linked_fifo = [&](const fs::path& p) {
    return make_fifo(p.string() + ".fifo") &&
           ::symlink((p.string() + ".fifo").c_str(), p.c_str()) == 0;
  };
  const auto make_loop = [](const fs::path& p) {
    return ::symlink((p.string() + ".b").c_str(), p.c_str()) == 0 &&
           ::symlink(p.c_str(), (p.string() + ".b").c_str()) == 0;
  };
  const struct {
    const char* what;
    std::function<bool(const fs::path&)> make;
    const char* reason;
    bool needs_superuser;
  } cases[] = {
      {"fifo", make_fifo, "は通常のファイルではありません。", false},
      {"socket", make_socket, "は通常のファイルではありません。", false},
      {"device", make_device, "は通常のファイルではありません。", true},
      {"link to a fifo", make_linked_fifo, ".fifo」は通常のファイルではありません。", false},
      {"loop of links", make_loop, "(Too many levels of symbolic links)", false},
  };
  for (const auto& c : cases) {
    const fs::path target = dir_ / "target";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    if (!c.make(target)) {
      if (!c.needs_superuser) ADD_FAILURE() << c.what << " cannot be made";
      continue;
    }
    const std::vector<std::string> before = Files();
    struct stat st_before {};
    ::lstat(target.c_str(), &st_before);
    const save_result_t result = WriteFileAtomically(target, "new");
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_NE(result.error.find(Utf8ToCp932(c.reason)), std::string::npos)
        << c.what << ": " << result.error;
    struct stat st_after {};
    ::lstat(target.c_str(), &st_after);
    EXPECT_EQ(st_after.st_ino, st_before.st_ino) << c.what;
    EXPECT_EQ(Files(), before) << c.what;
  }
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
