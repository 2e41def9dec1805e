#include "model/qvl_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <optional>
#include <system_error>

#include "model/qvl_text.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

std::string PathText(const fs::path& path) {
  try {
    return Utf8ToCp932(path.string());
  } catch (const std::runtime_error&) {
    return path.string();  // not UTF-8: show the bytes as they are
  }
}

class fd_t {
 public:
  explicit fd_t(int fd) : fd_(fd) {}
  fd_t(const fd_t&) = delete;
  fd_t& operator=(const fd_t&) = delete;
  ~fd_t() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  // Closes now, reporting the error that a delayed write may only show here.
  [[nodiscard]] int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// The file that writing to file_name changes: a symbolic link is followed so
// that replacing the file keeps the link. Nothing when the links go round in a
// loop (or further than the system itself would follow them).
std::optional<fs::path> WriteTarget(const fs::path& file_name) {
  fs::path path = file_name;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec) || ec) return path;
    fs::path link = fs::read_symlink(path, ec);
    if (ec) return path;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return std::nullopt;
}

// ".NAME.PID.N.tmp": a prefix of the target's name keeps the whole name within
// the length limit even when the target's name is near it.
std::string TemporaryName(const fs::path& target, unsigned counter) {
  // Built by appending: GCC 12 at -O3 warns falsely about a chain of "+" here.
  std::string name = ".";
  name.append(target.filename().string().substr(0, 64));
  name.append(".").append(std::to_string(::getpid()));
  name.append(".").append(std::to_string(counter));
  name.append(".tmp");
  return name;
}

// The process id in a name that TemporaryName gives, else nothing.
std::optional<pid_t> TemporaryNameProcess(std::string_view name) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < 1 + kSuffix.size() || name.front() != '.' || !name.ends_with(kSuffix)) {
    return std::nullopt;
  }
  name.remove_suffix(kSuffix.size());
  // Two dot-separated numbers at the end: the process and the counter.
  auto last_number = [&name]() -> std::optional<std::string_view> {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return std::nullopt;
    const std::string_view digits = name.substr(dot + 1);
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
    }
    name = name.substr(0, dot);
    return digits;
  };
  if (!last_number()) return std::nullopt;
  const std::optional<std::string_view> pid_text = last_number();
  if (!pid_text) return std::nullopt;
  pid_t pid = 0;
  const auto [end, ec] =
      std::from_chars(pid_text->data(), pid_text->data() + pid_text->size(), pid);
  if (ec != std::errc() || end != pid_text->data() + pid_text->size() || pid <= 0) {
    return std::nullopt;
  }
  return pid;
}

// Writes all bytes and flushes them to the disk, then closes the file when
// asked. 0 or errno.
int WriteAll(fd_t& file, std::string_view bytes, bool close) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(file.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(file.get()) != 0) return errno;
  if (close && file.Close() != 0) return errno;
  return 0;
}

// A failed step: what failed and the system's reason.
std::string Reason(std::string_view what, int error) {
  return std::string(what) + "(" + SystemReason(error) + ")";
}

struct temporary_t {
  fs::path path;       // empty on failure
  std::string reason;  // why, on failure
};

std::atomic<unsigned> g_counter{0};

// The new contents under a temporary name in folder, complete on the disk.
// Written without a name first, so that a process killed while writing leaves
// nothing behind; the name is given only once the contents are complete.
// Nothing where the system offers no unnamed file (or cannot name one).
std::optional<temporary_t> WriteUnnamed(const fs::path& folder, const fs::path& target,
                                        const struct stat* old_stat, std::string_view bytes) {
#ifdef O_TMPFILE
  fd_t file(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (file.get() < 0) {
    // Old kernels and some file systems do not know the flag.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return std::nullopt;
    return temporary_t{{}, Reason(QVL_CP932("一時ファイルを作成できません。"), errno)};
  }
  // The new file keeps the permissions of the one it replaces.
  if (old_stat != nullptr && ::fchmod(file.get(), old_stat->st_mode & 07777) != 0) {
    return temporary_t{{}, Reason(QVL_CP932("ファイルの属性を設定できません。"), errno)};
  }
  // Named through /proc before closing: linkat with AT_EMPTY_PATH would need a
  // privilege that ordinary users lack.
  const std::string self = "/proc/self/fd/" + std::to_string(file.get());
  if (const int error = WriteAll(file, bytes, /*close=*/false); error != 0) {
    return temporary_t{{}, Reason(QVL_CP932("書き込みに失敗しました。"), error)};
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path temp = folder / TemporaryName(target, g_counter.fetch_add(1));
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return temporary_t{std::move(temp), {}};
    }
    if (errno != EEXIST) return std::nullopt;  // no /proc: the named way
  }
  return std::nullopt;
#else
  (void)folder, (void)target, (void)old_stat, (void)bytes;
  return std::nullopt;
#endif
}

// The same through a file that has its temporary name from the start.
temporary_t WriteNamed(const fs::path& folder, const fs::path& target, const struct stat* old_stat,
                       std::string_view bytes) {
  fs::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder / TemporaryName(target, g_counter.fetch_add(1));
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return {{}, Reason(QVL_CP932("一時ファイルを作成できません。"), errno)};
  fd_t file(fd);
  auto fail = [&](std::string_view what, int error) {
    if (file.get() >= 0) (void)file.Close();
    ::unlink(temp.c_str());
    return temporary_t{{}, Reason(what, error)};
  };
  // The new file keeps the permissions of the one it replaces.
  if (old_stat != nullptr && ::fchmod(fd, old_stat->st_mode & 07777) != 0) {
    return fail(QVL_CP932("ファイルの属性を設定できません。"), errno);
  }
  if (const int error = WriteAll(file, bytes, /*close=*/true); error != 0) {
    return fail(QVL_CP932("書き込みに失敗しました。"), error);
  }
  return {temp, {}};
}

// Why the existing target must not be replaced, or nothing.
std::optional<std::string> RefusedTarget(const fs::path& target, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) {
    return QVL_CP932("「") + PathText(target) + QVL_CP932("」は通常のファイルではありません。");
  }
  // Renaming over a file ignores its mode; the user's intent recorded in the
  // mode still counts. The superuser may write anything, so for it only a
  // file that nobody may write is read-only.
  const bool read_only =
      ::geteuid() == 0
          ? (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
          : ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
  if (read_only) return Reason(QVL_CP932("ファイルを置き換えられません。"), EACCES);
  return std::nullopt;
}

}  // namespace

int RemoveStaleTemporaryFiles(const fs::path& folder) {
  int removed = 0;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    const std::optional<pid_t> pid = TemporaryNameProcess(name);
    if (!pid || *pid == ::getpid()) continue;
    struct stat st {};
    if (::lstat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid()) {
      continue;
    }
    // A process that still runs may be saving right now.
    if (::kill(*pid, 0) == 0 || errno != ESRCH) continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

save_result_t WriteFileAtomically(const fs::path& file_name, std::string_view bytes) {
  const std::optional<fs::path> resolved = WriteTarget(file_name);
  if (!resolved) return {false, Reason(QVL_CP932("ファイルを置き換えられません。"), ELOOP)};
  const fs::path& target = *resolved;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat old_stat {};
  const bool target_exists = ::lstat(target.c_str(), &old_stat) == 0;
  if (target_exists) {
    if (std::optional<std::string> refused = RefusedTarget(target, old_stat)) {
      return {false, std::move(*refused)};
    }
  }
  RemoveStaleTemporaryFiles(folder);

  const struct stat* keep_mode = target_exists ? &old_stat : nullptr;
  std::optional<temporary_t> written = WriteUnnamed(folder, target, keep_mode, bytes);
  if (!written) written = WriteNamed(folder, target, keep_mode, bytes);
  if (written->path.empty()) return {false, std::move(written->reason)};
  const fs::path& temp = written->path;
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return {false, Reason(QVL_CP932("ファイルを置き換えられません。"), error)};
  }
  // Make the rename itself durable; a failure here no longer loses anything.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return {true, {}};
}

}  // namespace qvl
