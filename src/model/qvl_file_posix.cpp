#include "model/qvl_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "model/qvl_file_names.h"
#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

save_hooks_t& Hooks() {
  static save_hooks_t hooks;
  return hooks;
}

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

std::string PathText(const fs::path& path) {
  return PathToCp932(path);
}

// A failed step: what failed and the system's reason.
std::string Reason(std::string_view what, int error) {
  return std::string(what) + "(" + SystemReason(error) + ")";
}

class fd_t {
 public:
  fd_t() : fd_(-1) {}
  explicit fd_t(int fd) : fd_(fd) {}
  fd_t(fd_t&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  fd_t& operator=(fd_t&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~fd_t() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }

 private:
  int fd_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// While a save runs, a file-size limit makes a write fail with EFBIG, which is
// reported, instead of ending the process without a word.
class file_size_signal_ignored_t {
 public:
  file_size_signal_ignored_t() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    restore_ = ::sigaction(SIGXFSZ, &ignore, &old_) == 0;
  }
  file_size_signal_ignored_t(const file_size_signal_ignored_t&) = delete;
  file_size_signal_ignored_t& operator=(const file_size_signal_ignored_t&) = delete;
  ~file_size_signal_ignored_t() {
    if (restore_) ::sigaction(SIGXFSZ, &old_, nullptr);
  }

 private:
  struct sigaction old_ {};
  bool restore_ = false;
};

// ---- Temporary names --------------------------------------------------------

std::string TemporaryName() {
  return file_names::TemporaryName<char>();
}

bool IsTemporaryName(std::string_view name) {
  return file_names::IsTemporaryName(name);
}

// Removes name in the folder dir when it is an abandoned temporary file of
// this writer: a regular file with no other name, whose lock no writer holds,
// and the user's own. Writers lock their temporary file for as long as they
// use it, and the system drops the lock of a process that ends, in any
// namespace. The superuser's saves give their temporary file the old file's
// owner before the rename, so one killed in between leaves another user's
// file: the superuser takes such files whatever their owner.
bool RemoveIfAbandoned(int dir, const char* name, const struct stat* keep) {
  struct stat st {};
  const uid_t user = ::geteuid();
  if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      (st.st_uid != user && user != 0) || st.st_nlink != 1 ||
      (keep != nullptr && SameFile(st, *keep))) {
    return false;
  }
  const fd_t file(::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !SameFile(opened, st) ||
      ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
    return false;
  }
  // The name may have gone to another file since it was opened.
  struct stat now {};
  if (::fstatat(dir, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(now, opened)) return false;
  return ::unlinkat(dir, name, 0) == 0;
}

int RemoveAbandoned(int dir, const struct stat* keep) {
  const int list = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (list < 0) return 0;
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(list), &::closedir);
  if (!entries) {
    ::close(list);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = ::readdir(entries.get())) {
    if (IsTemporaryName(entry->d_name) && RemoveIfAbandoned(dir, entry->d_name, keep)) ++removed;
  }
  return removed;
}

// ---- The target ---------------------------------------------------------------

// The file that writing to file_name changes: a symbolic link is followed so
// that replacing the file keeps the link. Returns why not: a loop of links
// (or one longer than the system itself would follow), or another user's link
// in a sticky folder that everybody may write, which the system refuses to
// open through unless the link is the folder owner's (a link planted there
// would redirect the save to a file of the attacker's choosing).
std::optional<std::string> FollowLinks(const fs::path& file_name, fs::path& target) {
  fs::path path = file_name;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
      target = std::move(path);
      return std::nullopt;
    }
    const fs::path folder = FolderOf(path);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) != 0 &&
        (dir.st_mode & S_IWOTH) != 0 && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid) {
      return FormatMessage(message_t::OtherUsersLink, {PathText(path)});
    }
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) {
      target = std::move(path);  // refused below as not a regular file
      return std::nullopt;
    }
    path = next.is_absolute() ? next : folder / next;
  }
  return Reason(Message(message_t::CannotReplaceFile), ELOOP);
}

// Why the existing target name in dir must not be replaced, or nothing.
std::optional<std::string> RefusedTarget(int dir, const char* name, const fs::path& target,
                                         const struct stat& st) {
  if (!S_ISREG(st.st_mode)) {
    return FormatMessage(message_t::NamedNotARegularFile, {PathText(target)});
  }
  // Renaming over a file ignores its mode; the user's intent recorded in the
  // mode still counts. The superuser may write anything, so for it only a
  // file that nobody may write is read-only.
  const bool read_only = ::geteuid() == 0
                             ? (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
                             : ::faccessat(dir, name, W_OK, AT_EACCESS) != 0 && errno == EACCES;
  if (read_only) return Reason(Message(message_t::CannotReplaceFile), EACCES);
  return std::nullopt;
}

std::string ChangedTarget(const fs::path& target) {
  return FormatMessage(message_t::ChangedDuringSave, {PathText(target)});
}

// ---- The new file ---------------------------------------------------------------

mode_t CurrentUmask() {
  // Read where the system shows it: umask() can only read it by changing it.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("Umask:")) {
      try {
        return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
      } catch (const std::logic_error&) {
        break;
      }
    }
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kDefaultAcl = "system.posix_acl_default";

// The mode a file created with mode 0666 gets in folder, for a folder with a
// default ACL: the file inherits the ACL, whose owner, mask (or owning group)
// and others entries limit the mode instead of the umask. Nothing when the
// folder has no default ACL. The attribute is the system's own encoding: a
// version word, then per entry a tag, the permissions and an id, little-endian.
std::optional<mode_t> ModeUnderDefaultAcl(const fs::path& folder) {
  std::vector<unsigned char> acl(256);
  ssize_t size = -1;
  for (int attempt = 0; attempt < 4; ++attempt) {
    size = ::getxattr(folder.c_str(), kDefaultAcl, acl.data(), acl.size());
    if (size >= 0 || errno != ERANGE) break;
    const ssize_t needed = ::getxattr(folder.c_str(), kDefaultAcl, nullptr, 0);
    if (needed < 0) break;
    acl.resize(static_cast<std::size_t>(needed) + 64);
  }
  constexpr std::size_t kHeader = 4;
  constexpr std::size_t kEntry = 8;
  if (size < static_cast<ssize_t>(kHeader + kEntry)) return std::nullopt;
  const auto le16 = [&acl](std::size_t at) {
    return static_cast<unsigned>(acl[at] | (acl[at + 1] << 8));
  };
  constexpr unsigned kUserObj = 0x01, kGroupObj = 0x04, kMask = 0x10, kOther = 0x20;
  unsigned user = 0, group = 0, other = 0;
  std::optional<unsigned> mask;
  for (std::size_t at = kHeader; at + kEntry <= static_cast<std::size_t>(size); at += kEntry) {
    const unsigned perms = le16(at + 2) & 7u;
    switch (le16(at)) {
      case kUserObj:
        user = perms;
        break;
      case kGroupObj:
        group = perms;
        break;
      case kMask:
        mask = perms;
        break;
      case kOther:
        other = perms;
        break;
      default:
        break;
    }
  }
  return static_cast<mode_t>(0666 & ((user << 6) | (mask.value_or(group) << 3) | other));
}

// Copies the extended attributes of from (its POSIX ACLs are two of them) to
// the file open as to. What the saving user may not set (another security
// module's label, trusted attributes) is left out: the save still happens.
// File capabilities grant privileges like the set-ID bits and stay only when
// those would. The new file got the folder's default ACL when it was made;
// without an ACL of its own, the old file's plain mode is all it keeps.
void CopyExtendedAttributes(const fs::path& from, int to, bool keep_privileges) {
  bool acl_copied = false;
  std::vector<char> names(1024);
  ssize_t size = 0;
  for (;;) {
    size = ::llistxattr(from.c_str(), names.data(), names.size());
    if (size >= 0) break;
    const ssize_t needed = errno == ERANGE ? ::llistxattr(from.c_str(), nullptr, 0) : -1;
    if (needed < 0) {
      size = 0;  // nothing to copy, and no wider access than the old file's
      break;
    }
    names.resize(static_cast<std::size_t>(needed) + 256);
  }
  std::vector<char> value;
  const char* const end = names.data() + size;
  for (const char* name = names.data(); name < end; name += std::strlen(name) + 1) {
    if (!keep_privileges && std::string_view(name) == "security.capability") continue;
    ssize_t length = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
      length = ::lgetxattr(from.c_str(), name, nullptr, 0);
      if (length < 0) break;
      value.resize(static_cast<std::size_t>(length));
      length = ::lgetxattr(from.c_str(), name, value.data(), value.size());
      if (length >= 0 || errno != ERANGE) break;  // grown in between: ask again
    }
    if (length >= 0 &&
        ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) == 0 &&
        std::string_view(name) == kAccessAcl) {
      acl_copied = true;
    }
  }
  if (!acl_copied) (void)::fremovexattr(to, kAccessAcl);
}

// Gives the complete new file what the old one had, as far as the saving user
// may: owner and group (a user may keep a group they belong to), the extended
// attributes, then the mode. Without an old file, what a file created with
// mode 0666 gets: the folder's default ACL, else the umask. (The temporary
// file was made with 0600 so that nobody may open it half-way; it inherited
// the default ACL's entries, and the mode sets its mask as creation would.)
// 0 or errno.
int GiveMetadata(int fd, const struct stat* old, const fs::path& target) {
  if (old == nullptr) {
    const mode_t mode = ModeUnderDefaultAcl(FolderOf(target)).value_or(0666 & ~CurrentUmask());
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
  }
  struct stat now {};
  if (::fstat(fd, &now) != 0) return errno;
  bool owner = now.st_uid == old->st_uid;
  bool group = now.st_gid == old->st_gid;
  if (!owner || !group) {
    if (::fchown(fd, owner ? static_cast<uid_t>(-1) : old->st_uid,
                 group ? static_cast<gid_t>(-1) : old->st_gid) == 0) {
      owner = group = true;
    } else if (!group && ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) == 0) {
      group = true;
    }
  }
  // A set-ID file runs with its owner's or group's rights: with another owner
  // or group it would grant the saver's.
  const bool keep_privileges = owner && group;
  CopyExtendedAttributes(target, fd, keep_privileges);
  mode_t mode = old->st_mode & 07777;
  if (!keep_privileges) mode &= ~(S_ISUID | S_ISGID);
  // Last, so that the ACL's mask is the old one (the group bits of the mode).
  return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// The new contents in the target's folder, locked for as long as this save
// uses them, and the name they have there (empty while they have none).
struct temporary_t {
  fd_t file;
  std::string name;
};

// A file without a name: a process killed while writing leaves nothing
// behind, and nobody can open it before it is complete. Nothing where the
// system does not know such files.
std::optional<temporary_t> CreateUnnamed(int dir) {
#ifdef O_TMPFILE
  fd_t file(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (file.get() < 0 || ::flock(file.get(), LOCK_EX) != 0) return std::nullopt;
  return temporary_t{std::move(file), {}};
#else
  (void)dir;
  return std::nullopt;
#endif
}

// A named file that only its user may read until it is complete. Another
// save's clean-up may take it between its creation and its lock; then the name
// is gone and another one is tried.
temporary_t CreateNamed(int dir, int& error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TemporaryName();
    fd_t file(
        ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0) {
      if (errno == EEXIST) continue;
      error = errno;
      return {};
    }
    struct stat opened {
    }, named{};
    if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(file.get(), &opened) == 0 &&
        ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named)) {
      return {std::move(file), std::move(name)};
    }
  }
  error = EEXIST;
  return {};
}

// Names an unnamed file in dir, through /proc: linkat with AT_EMPTY_PATH would
// need a privilege that ordinary users lack. False where that is not possible.
bool NameUnnamed(int dir, temporary_t& temp) {
  const std::string self = "/proc/self/fd/" + std::to_string(temp.file.get());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TemporaryName();
    if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp.name = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// Removes the temporary name again when a save fails after giving it.
struct named_guard_t {
  int dir;
  const std::string& name;
  bool keep = false;
  ~named_guard_t() {
    if (!keep && !name.empty()) ::unlinkat(dir, name.c_str(), 0);
  }
};

int Replace(int dir, const std::string& temporary, const std::string& name) {
  return ::renameat(dir, temporary.c_str(), dir, name.c_str()) == 0 ? 0 : errno;
}

// Gives the temporary file the name where there is none, never replacing a
// file that appeared after the last check: EEXIST then. A filesystem that
// refuses RENAME_NOREPLACE (FUSE answers EINVAL) gets a second name for the
// file, which fails the same way, and then loses the temporary one.
int CreateWithoutReplacing(int dir, const std::string& temporary, const std::string& name) {
  if (!Hooks().refuse_rename_noreplace &&
      ::renameat2(dir, temporary.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (!Hooks().refuse_rename_noreplace && errno == EEXIST) return EEXIST;
  if (::linkat(dir, temporary.c_str(), dir, name.c_str(), 0) != 0) return errno;
  // A failure leaves the file with both names: that is no longer an abandoned
  // temporary file (it has a second name), and the save did happen.
  (void)::unlinkat(dir, temporary.c_str(), 0);
  return 0;
}

}  // namespace

int RemoveStaleTemporaryFiles(const fs::path& folder) {
  const fd_t dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return dir.get() < 0 ? 0 : RemoveAbandoned(dir.get(), nullptr);
}

file_in_use_t::file_in_use_t(const fs::path& file_name)
    : handle_(::open(file_name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
  // A shared lock: the clean-up's exclusive one cannot be had while it is held.
  if (handle_ >= 0 && ::flock(static_cast<int>(handle_), LOCK_SH | LOCK_NB) != 0) {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
  }
}

file_in_use_t::~file_in_use_t() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

namespace {

struct file_closer_t {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

file_bytes_t ReadFileBytes(const std::filesystem::path& file_name) {
  file_bytes_t result;
  // Without blocking, so that a pipe or a device put under the name cannot
  // stall the load.
  const int fd = ::open(file_name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    result.reason = Reason(Message(message_t::CannotOpenFile), errno);
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    result.reason = S_ISDIR(st.st_mode) ? Reason(Message(message_t::CannotReadFile), EISDIR)
                                        : Message(message_t::NotARegularFile);
    return result;
  }
  std::unique_ptr<std::FILE, file_closer_t> file(::fdopen(fd, "rb"));
  if (!file) {
    result.reason = Reason(Message(message_t::CannotOpenFile), errno);
    ::close(fd);
    return result;
  }
  const auto size = static_cast<std::uintmax_t>(st.st_size);
  if (size < (std::uintmax_t{1} << 40)) result.bytes.reserve(static_cast<std::size_t>(size));
  char buffer[64 * 1024];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    result.bytes.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) {
    result.reason = Reason(Message(message_t::CannotReadFile), errno);
  }
  return result;
}

fs::path PathFromUtf8(std::string_view name) {
  return fs::path(std::string(name));
}

std::string PathToUtf8(const fs::path& path) {
  return path.string();
}

std::string PathToCp932(const fs::path& path) {
  const std::string name = path.string();
  return IsUtf8(name) ? Utf8ToCp932(name) : name;  // else show the bytes as they are
}

void SetSaveHooksForTesting(save_hooks_t hooks) {
  Hooks() = std::move(hooks);
}

save_result_t WriteFileAtomically(const fs::path& file_name, std::string_view bytes) {
  const file_size_signal_ignored_t file_size_signal_ignored;
  fs::path target;
  if (std::optional<std::string> refused = FollowLinks(file_name, target)) {
    return {false, std::move(*refused)};
  }
  const std::string name = target.filename().string();
  if (name.empty() || name == "." || name == "..") {
    return {false, FormatMessage(message_t::NamedNotARegularFile, {PathText(target)})};
  }
  // Every step works in the folder opened here, so that the folder cannot be
  // swapped for another between the checks and the rename.
  const fd_t dir(::open(FolderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return {false, Reason(Message(message_t::CannotCreateTemporary), errno)};

  struct stat old {};
  const bool target_exists = ::fstatat(dir.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (!target_exists && errno != ENOENT) {
    return {false, Reason(Message(message_t::CannotReplaceFile), errno)};
  }
  if (target_exists) {
    if (std::optional<std::string> refused = RefusedTarget(dir.get(), name.c_str(), target, old)) {
      return {false, std::move(*refused)};
    }
  }
  RemoveAbandoned(dir.get(), target_exists ? &old : nullptr);

  const struct stat* keep = target_exists ? &old : nullptr;
  temporary_t temp;
  for (const bool unnamed : {true, false}) {
    if (unnamed) {
      if (Hooks().named_temporary) continue;
      std::optional<temporary_t> created = CreateUnnamed(dir.get());
      if (!created) continue;
      temp = std::move(*created);
    } else {
      int error = 0;
      temp = CreateNamed(dir.get(), error);
      if (temp.file.get() < 0) {
        return {false, Reason(Message(message_t::CannotCreateTemporary), error)};
      }
    }
    named_guard_t named{dir.get(), temp.name};
    if (const int error = WriteAll(temp.file.get(), bytes); error != 0) {
      return {false, Reason(Message(message_t::WriteFailed), error)};
    }
    if (Hooks().written) {
      Hooks().written(temp.name.empty() ? fs::path() : FolderOf(target) / temp.name);
    }
    if (const int error = GiveMetadata(temp.file.get(), keep, target); error != 0) {
      return {false, Reason(Message(message_t::CannotSetAttributes), error)};
    }
    if (::fsync(temp.file.get()) != 0) {
      return {false, Reason(Message(message_t::WriteFailed), errno)};
    }
    if (unnamed && !NameUnnamed(dir.get(), temp)) continue;  // no /proc: the named way
    named.keep = true;
    break;
  }
  named_guard_t named{dir.get(), temp.name};

  if (Hooks().before_replace) Hooks().before_replace();
  // The target may have changed while the contents were written: replace only
  // the file that was checked, and create only where there still is none.
  struct stat now {};
  const bool exists_now = ::fstatat(dir.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists_now != target_exists || (target_exists && !SameFile(now, old))) {
    return {false, ChangedTarget(target)};
  }
  if (exists_now) {
    if (std::optional<std::string> refused = RefusedTarget(dir.get(), name.c_str(), target, now)) {
      return {false, std::move(*refused)};
    }
  }
  if (Hooks().before_rename) Hooks().before_rename();
  const int error = target_exists ? Replace(dir.get(), temp.name, name)
                                  : CreateWithoutReplacing(dir.get(), temp.name, name);
  if (error == EEXIST && !target_exists) return {false, ChangedTarget(target)};
  if (error != 0) return {false, Reason(Message(message_t::CannotReplaceFile), error)};
  named.keep = true;
  // Make the rename itself durable; a failure here no longer loses anything.
  const fd_t sync(::openat(dir.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (sync.get() >= 0) (void)::fsync(sync.get());
  return {true, {}};
}

}  // namespace qvl
