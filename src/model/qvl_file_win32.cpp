// The file writer and reader on Windows: the same promises as on other
// systems, in Windows' terms. A file opened without any sharing cannot be
// opened again while that handle lives, and a file that some handle holds
// open cannot be so opened: that serves as the lock. The volume serial number
// and the file index say which file a name stands for; ReplaceFileW keeps the
// old file's ACLs and attributes on the new one.
#include "model/qvl_file.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h makes FormatMessage a macro for its own function; the core's
// FormatMessage is meant below, and Windows' messages are not used.
#undef FormatMessage

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
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

// The reasons are worded as on other systems, so that a failure reads the
// same (and a script that checks it works) wherever qvl runs.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    default:
      return EIO;
  }
}

std::string Reason(std::string_view what, int error) {
  return std::string(what) + "(" + std::generic_category().message(error) + ")";
}

std::string LastReason(std::string_view what) {
  return Reason(what, ErrnoOf(GetLastError()));
}

class handle_t {
 public:
  handle_t() = default;
  explicit handle_t(HANDLE h) : h_(h) {}
  handle_t(handle_t&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
  handle_t& operator=(handle_t&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  handle_t(const handle_t&) = delete;
  handle_t& operator=(const handle_t&) = delete;
  ~handle_t() { Close(); }
  [[nodiscard]] HANDLE get() const { return h_; }
  [[nodiscard]] bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (valid()) CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE));
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Opens for reading the file's attributes only; others may go on reading and
// writing it, and so may this process. Links are followed.
handle_t OpenToAsk(const fs::path& path) {
  return handle_t(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

struct identity_t {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  DWORD attributes = 0;
  DWORD links = 0;
  bool operator==(const identity_t& o) const {
    return volume == o.volume && index_high == o.index_high && index_low == o.index_low;
  }
};

std::optional<identity_t> IdentityOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return std::nullopt;
  return identity_t{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                    info.dwFileAttributes, info.nNumberOfLinks};
}

// The full form of a name, with backslashes: ReplaceFileW and a rename by
// handle take no other (a name such as /tmp/x comes from Wine's tests).
fs::path FullPath(const fs::path& path) {
  std::error_code ec;
  fs::path full = fs::absolute(path, ec);
  return ec ? path : full.make_preferred();
}

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// ---- Temporary names --------------------------------------------------------

std::wstring TemporaryName() {
  return file_names::TemporaryName<wchar_t>();
}

bool IsTemporaryName(std::wstring_view name) {
  return file_names::IsTemporaryName(name);
}

// Removes an abandoned temporary file: one that can be opened exclusively (no
// writer holds it, no reader marks it in use), that is a plain file with one
// name and no link, and that is not the file being saved. The file is
// removed through the exclusive handle, so that nothing else can take its
// place between the checks and the removal.
bool RemoveIfAbandoned(const fs::path& path, const std::optional<identity_t>& keep) {
  handle_t h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.valid()) return false;
  const std::optional<identity_t> id = IdentityOf(h.get());
  if (!id || id->links != 1 || (keep && *id == *keep) ||
      (id->attributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  return SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

int RemoveAbandoned(const fs::path& folder, const std::optional<identity_t>& keep) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsTemporaryName(it->path().filename().native())) continue;
    removed += RemoveIfAbandoned(it->path(), keep) ? 1 : 0;
  }
  return removed;
}

// The file a name stands for, links followed; the name itself where it is no
// link or nothing is there yet. The system follows the links when it opens
// the name and says where it ended up; a name that ends up elsewhere was a
// link (whether Windows' own or, under Wine, the host's).
fs::path FollowLinks(const fs::path& file_name) {
  const handle_t h = OpenToAsk(file_name);
  if (!h.valid()) return file_name;
  std::wstring path_name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h.get(), path_name.data(),
                                              static_cast<DWORD>(path_name.size()), 0);
    if (n == 0) return file_name;
    const bool fits = n < path_name.size();
    path_name.resize(n);
    if (fits) break;
  }
  // \\?\C:\... becomes C:\..., the form a message shows.
  constexpr std::wstring_view kLong = L"\\\\?\\";
  if (path_name.starts_with(kLong) && path_name.size() > kLong.size() + 1 &&
      path_name[kLong.size() + 1] == L':') {
    path_name.erase(0, kLong.size());
  }
  const std::wstring given = FullPath(file_name).native();
  const bool same =
      CompareStringOrdinal(given.data(), static_cast<int>(given.size()), path_name.data(),
                           static_cast<int>(path_name.size()), TRUE) == CSTR_EQUAL;
  return same ? file_name : fs::path(path_name);
}

// Why the existing target must not be replaced, or nothing.
std::optional<std::string> RefusedTarget(const fs::path& target, const identity_t& id, HANDLE h) {
  if ((id.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || GetFileType(h) != FILE_TYPE_DISK) {
    return FormatMessage(message_t::NamedNotARegularFile, {PathToCp932(target)});
  }
  // ReplaceFileW would refuse too, but only after the whole write.
  if ((id.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return Reason(Message(message_t::CannotReplaceFile), EACCES);
  }
  return std::nullopt;
}

std::string ChangedTarget(const fs::path& target) {
  return FormatMessage(message_t::ChangedDuringSave, {PathToCp932(target)});
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk =
        bytes.size() > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Renames the open file to target without replacing anything there.
bool RenameWithoutReplacing(HANDLE h, const fs::path& target) {
  const std::wstring name = FullPath(target).native();
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), info->FileName);
  return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) !=
         0;
}

// Removes the temporary file unless the save put it in place.
struct temporary_guard_t {
  fs::path path;
  bool keep = false;
  temporary_guard_t() = default;
  temporary_guard_t(const temporary_guard_t&) = delete;
  temporary_guard_t& operator=(const temporary_guard_t&) = delete;
  ~temporary_guard_t() {
    if (!keep && !path.empty()) DeleteFileW(path.c_str());
  }
};

}  // namespace

int RemoveStaleTemporaryFiles(const fs::path& folder) {
  return RemoveAbandoned(folder, std::nullopt);
}

file_in_use_t::file_in_use_t(const fs::path& file_name)
    : handle_(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {
  // The clean-up's exclusive open fails while this is held; others may go on
  // reading, writing and replacing it, as qvl normalize FILE -o FILE does.
  const HANDLE h = CreateFileW(file_name.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  handle_ = reinterpret_cast<std::intptr_t>(h);
}

file_in_use_t::~file_in_use_t() {
  const auto h = reinterpret_cast<HANDLE>(handle_);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

void SetSaveHooksForTesting(save_hooks_t hooks) {
  Hooks() = std::move(hooks);
}

save_result_t WriteFileAtomically(const fs::path& file_name, std::string_view bytes) {
  const fs::path target = FollowLinks(file_name);
  const fs::path folder = FolderOf(target);
  const std::wstring name = target.filename().native();
  if (name.empty() || name == L"." || name == L"..") {
    return {false, FormatMessage(message_t::NamedNotARegularFile, {PathToCp932(target)})};
  }

  std::optional<identity_t> old;
  {
    const handle_t h = OpenToAsk(target);
    if (!h.valid() && GetLastError() != ERROR_FILE_NOT_FOUND) {
      return {false, LastReason(Message(message_t::CannotReplaceFile))};
    }
    if (h.valid()) {
      old = IdentityOf(h.get());
      if (!old) return {false, LastReason(Message(message_t::CannotReplaceFile))};
      if (std::optional<std::string> refused = RefusedTarget(target, *old, h.get())) {
        return {false, std::move(*refused)};
      }
    }
  }
  RemoveAbandoned(folder, old);

  // Held without sharing while it is written: no reader sees it half-way and
  // no clean-up takes it.
  temporary_guard_t guard;
  handle_t temp;
  for (int attempt = 0; attempt < 16 && !temp.valid(); ++attempt) {
    guard.path = folder / TemporaryName();
    temp = handle_t(CreateFileW(guard.path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (!temp.valid()) {
    const DWORD error = GetLastError();
    guard.path.clear();
    return {false, Reason(Message(message_t::CannotCreateTemporary), ErrnoOf(error))};
  }
  if (!WriteAll(temp.get(), bytes)) return {false, LastReason(Message(message_t::WriteFailed))};
  if (Hooks().written) Hooks().written(guard.path);
  if (!FlushFileBuffers(temp.get())) return {false, LastReason(Message(message_t::WriteFailed))};

  if (Hooks().before_replace) Hooks().before_replace();
  // The target may have changed while the contents were written: replace only
  // the file that was checked, and create only where there still is none.
  const handle_t now = OpenToAsk(target);
  const std::optional<identity_t> now_id = now.valid() ? IdentityOf(now.get()) : std::nullopt;
  if (now_id.has_value() != old.has_value() || (old && !(*now_id == *old))) {
    return {false, ChangedTarget(target)};
  }
  if (now_id) {
    if (std::optional<std::string> refused = RefusedTarget(target, *now_id, now.get())) {
      return {false, std::move(*refused)};
    }
  }
  if (Hooks().before_rename) Hooks().before_rename();
  if (!old) {
    if (!RenameWithoutReplacing(temp.get(), target)) {
      const DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return {false, ChangedTarget(target)};
      }
      return {false, Reason(Message(message_t::CannotReplaceFile), ErrnoOf(error))};
    }
    guard.keep = true;
    return {true, {}};
  }
  // ReplaceFileW opens the new file itself, so it is let go of here.
  temp.Close();
  if (!ReplaceFileW(FullPath(target).c_str(), FullPath(guard.path).c_str(), nullptr,
                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return {false, LastReason(Message(message_t::CannotReplaceFile))};
  }
  guard.keep = true;
  return {true, {}};
}

file_bytes_t ReadFileBytes(const fs::path& file_name) {
  file_bytes_t result;
  // Others may read and write it meanwhile; FILE_FLAG_BACKUP_SEMANTICS lets a
  // folder open, so that it is named as one.
  const handle_t h(CreateFileW(file_name.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    result.reason = LastReason(Message(message_t::CannotOpenFile));
    return result;
  }
  const std::optional<identity_t> id = IdentityOf(h.get());
  if (id && (id->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.reason = Reason(Message(message_t::CannotReadFile), EISDIR);
    return result;
  }
  if (!id || GetFileType(h.get()) != FILE_TYPE_DISK) {
    result.reason = Message(message_t::NotARegularFile);
    return result;
  }
  LARGE_INTEGER size{};
  if (GetFileSizeEx(h.get(), &size) && size.QuadPart > 0 &&
      size.QuadPart < (std::int64_t{1} << 40)) {
    result.bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[64 * 1024];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr)) {
      result.reason = LastReason(Message(message_t::CannotReadFile));
      break;
    }
    if (n == 0) break;
    result.bytes.append(buffer, n);
  }
  return result;
}

fs::path PathFromUtf8(std::string_view name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

std::string PathToUtf8(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string PathToCp932(const fs::path& path) {
  return Utf8ToCp932(PathToUtf8(path));
}

}  // namespace qvl
