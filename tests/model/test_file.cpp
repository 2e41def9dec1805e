#include "model/qvl_file.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "model/qvl_text.h"
#include "test_temp.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

class FileWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / test::UniqueName("qvl_file_test_");
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    // A read-only attribute keeps Windows from removing a file.
    for (const auto& entry : fs::directory_iterator(dir_, ec)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
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

#ifndef _WIN32  // POSIX only: unnamed files and modes; TemporaryFileIsHeldExclusivelyUntilComplete
                // is the Windows counterpart
TEST_F(FileWriteTest, TemporaryFileIsPrivateAndLockedUntilComplete) {
  // Both ways of writing: into a file without a name, and where the system
  // offers none, into a named one that others must not read half-way.
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    const fs::path file = dir_ / "doc.pat";
    Write(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    int removed = -1;
    save_hooks_t hooks;
    hooks.named_temporary = named;
    hooks.written = [&](const fs::path& temporary) {
      ASSERT_EQ(temporary.empty(), !named);
      // Another save's clean-up in the same folder leaves a live writer's file.
      removed = RemoveStaleTemporaryFiles(dir_);
      if (!named) return;
      EXPECT_EQ(Read(temporary), "new contents");
      EXPECT_EQ(fs::status(temporary).permissions() & fs::perms::all,
                fs::perms::owner_read | fs::perms::owner_write);
    };
    SetSaveHooksForTesting(hooks);
    const save_result_t result = WriteFileAtomically(file, "new contents");
    SetSaveHooksForTesting({});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(Read(file), "new contents");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
  }
}
#endif

TEST_F(FileWriteTest, TargetThatChangesDuringTheSaveIsLeftAlone) {
  const fs::path file = dir_ / "doc.pat";
  const std::string changed =
      Utf8ToCp932("「") + file.string() +
      Utf8ToCp932("」は保存の間にほかのファイルに変わりました。置き換えません。");
  const std::string denied =
      Utf8ToCp932("ファイルを置き換えられません。") + "(" + std::strerror(EACCES) + ")";
  auto replace_by = [&](std::string_view bytes, fs::perms perms) {
    Write(dir_ / "other", bytes);
    fs::permissions(dir_ / "other", perms);
    fs::rename(dir_ / "other", file);
  };
  const fs::perms read_only = fs::perms::owner_read | fs::perms::group_read;
  const struct {
    const char* what;
    bool exists;
    std::function<void()> change;
    std::string error;
    std::string left;  // the target's contents afterwards, "" for a pipe
  } cases[] = {
      {"a file appears", false, [&] { Write(file, "theirs"); }, changed, "theirs"},
#ifndef _WIN32  // POSIX only: named pipes in the file system
      {"a pipe is moved in", true,
       [&] {
         ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
         fs::rename(dir_ / "fifo", file);
       },
       changed, ""},
#endif
      {"a read-only file is moved in", true, [&] { replace_by("theirs", read_only); }, changed,
       "theirs"},
      {"the file is made read-only", true, [&] { fs::permissions(file, read_only); }, denied,
       "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (fs::exists(file)) fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(file);
    if (c.exists) Write(file, "old");
    save_hooks_t hooks;
    hooks.before_replace = c.change;
    SetSaveHooksForTesting(hooks);
    const save_result_t result = WriteFileAtomically(file, "new");
    SetSaveHooksForTesting({});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, c.error);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    if (c.left.empty()) {
      EXPECT_TRUE(fs::is_fifo(file));
    } else {
      EXPECT_EQ(Read(file), c.left);
    }
    EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
  }
}

#ifndef _WIN32  // POSIX only: Windows has no umask; a new file takes the folder's inherited ACL
TEST_F(FileWriteTest, NewFileFollowsTheUmask) {
  const mode_t old_mask = ::umask(027);
  const save_result_t result = WriteFileAtomically(dir_ / "new.pat", "x");
  ::umask(old_mask);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(fs::status(dir_ / "new.pat").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

TEST_F(FileWriteTest, NewFileNeverReplacesOneThatAppearsAfterTheLastCheck) {
  // Where the filesystem refuses to rename without replacing, the file is
  // linked instead, which fails the same way.
  const fs::path file = dir_ / "doc.pat";
  const std::string changed =
      Utf8ToCp932("「") + file.string() +
      Utf8ToCp932("」は保存の間にほかのファイルに変わりました。置き換えません。");
  const struct {
    bool refuse_noreplace;
    bool appears;
  } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.refuse_noreplace ? "no RENAME_NOREPLACE" : "RENAME_NOREPLACE") +
                 (c.appears ? ", a file appears" : ""));
    fs::remove(file);
    save_hooks_t hooks;
    hooks.refuse_rename_noreplace = c.refuse_noreplace;
    if (c.appears) hooks.before_rename = [&] { Write(file, "theirs"); };
    SetSaveHooksForTesting(hooks);
    const save_result_t result = WriteFileAtomically(file, "new");
    SetSaveHooksForTesting({});
    EXPECT_EQ(result.ok, !c.appears);
    EXPECT_EQ(result.error, c.appears ? changed : "");
    EXPECT_EQ(Read(file), c.appears ? "theirs" : "new");
    EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
  }
}

#ifndef _WIN32  // POSIX only: owners and fork
TEST_F(FileWriteTest, SuperuserRemovesTheTemporaryFileItsKilledSaveGaveAway) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser gives a file to another user";
  // Another user's file, saved by the superuser, which is killed after the
  // new file got that user as owner and a name, before the rename.
  constexpr uid_t kOther = 4242;
  const fs::path file = dir_ / "theirs.pat";
  Write(file, "old");
  ASSERT_EQ(::chown(file.c_str(), kOther, kOther), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      save_hooks_t hooks;
      hooks.named_temporary = named;
      hooks.before_rename = [] { ::_exit(9); };
      SetSaveHooksForTesting(hooks);
      (void)WriteFileAtomically(file, "new");
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9);
    std::vector<std::string> left = Files();
    ASSERT_EQ(left.size(), 2u);
    const fs::path temporary = dir_ / left[0];
    struct stat st {};
    ASSERT_EQ(::stat(temporary.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOther);

    ASSERT_TRUE(WriteFileAtomically(dir_ / "mine.pat", "x").ok);
    EXPECT_EQ(Files(), (std::vector<std::string>{"mine.pat", "theirs.pat"}));
    EXPECT_EQ(Read(file), "old");
    fs::remove(dir_ / "mine.pat");
  }
}
#endif

TEST_F(FileWriteTest, CleanUpRemovesAbandonedTemporaryFilesButNoneInUse) {
  const struct {
    const char* name;
    bool in_use;
    bool removed;
  } cases[] = {
      {".qvl-save-0123456789abcdef.tmp", false, true},
      {".qvl-save-fedcba9876543210.tmp", true, false},
      {".qvl-save-0123456789ABCDEF.tmp", false, false},  // not a name the writer gives
      {".qvl-save-0123.tmp", false, false},
      {"doc.pat", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write(dir_ / c.name, "left");
    std::optional<file_in_use_t> reader;
    if (c.in_use) reader.emplace(dir_ / c.name);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir_), c.removed ? 1 : 0);
    EXPECT_EQ(fs::exists(dir_ / c.name), !c.removed);
    reader.reset();
    fs::remove(dir_ / c.name);
  }
}

#ifdef _WIN32  // Windows only: the exclusive open that is the lock there
TEST_F(FileWriteTest, TemporaryFileIsHeldExclusivelyUntilComplete) {
  const fs::path file = dir_ / "doc.pat";
  Write(file, "old");
  int removed = -1;
  DWORD open_error = 0;
  save_hooks_t hooks;
  hooks.written = [&](const fs::path& temporary) {
    ASSERT_FALSE(temporary.empty());
    removed = RemoveStaleTemporaryFiles(dir_);
    const HANDLE h = CreateFileW(temporary.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    open_error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  };
  SetSaveHooksForTesting(hooks);
  const save_result_t result = WriteFileAtomically(file, "new contents");
  SetSaveHooksForTesting({});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(removed, 0);
  EXPECT_EQ(open_error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Read(file), "new contents");
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
}
#endif

}  // namespace
}  // namespace qvl
