// Writing whole files so that a reader only ever sees the old contents or the
// complete new ones: every file that the window and qvl write goes through here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qvl {

struct save_result_t {
  bool ok;
  std::string error;  // code page 932 text of the reason when !ok
};

// Replaces the file (or creates it) with bytes. The new contents are written
// to a file without a name in the target's folder where the system offers
// one, else to a temporary file beside it that only the saving user may read,
// flushed to the disk and renamed over the target only when complete; on
// failure the target is untouched.
//
// The new file keeps what the old one had where the saving user may set it:
// the mode, the owner and the group, the extended attributes and so the ACLs.
// The set-user-ID and set-group-ID bits stay only with the old owner and group.
//
// A symbolic link is followed and kept, except another user's link in a
// sticky folder that everybody may write (unless the folder is that user's):
// it is refused, as the system refuses opening through it. Only a regular
// file is ever replaced: a device, a pipe, a socket, a folder or a loop of
// links is refused, and so is a file whose mode denies the saving user
// writing (for the superuser: a file without any write bit). The target is
// checked again right before the rename: a file that is no longer the one
// that was checked (or that appeared where none was) is left alone and the
// save fails. A file-size limit fails the save like a full disk.
//
// A new file gets what a file created with mode 0666 gets there: the folder's
// default ACL, else the umask. It never replaces a file that appeared during
// the save, also where the filesystem cannot rename without replacing.
//
// Temporary files that earlier saves of this program abandoned in the folder
// are removed first (see RemoveStaleTemporaryFiles).
[[nodiscard]] save_result_t WriteFileAtomically(const std::filesystem::path& file_name,
                                                std::string_view bytes);

// Removes the temporary files that interrupted saves left in folder: only
// regular files with the name this writer gives (a fixed mark and a random
// part), owned by the user (for the superuser: by anyone, as its saves give
// their temporary files away), with no other name, and not locked, so that no
// writer or reader in any process is still using them. Returns how many were
// removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// While this lives, the file counts as in use for RemoveStaleTemporaryFiles:
// a command that reads an abandoned temporary file to recover it keeps it
// from being removed by its own save. Holds nothing when the file cannot be
// opened; opening never waits on a pipe.
class file_in_use_t {
 public:
  explicit file_in_use_t(const std::filesystem::path& file_name);
  file_in_use_t(const file_in_use_t&) = delete;
  file_in_use_t& operator=(const file_in_use_t&) = delete;
  ~file_in_use_t();

 private:
  std::intptr_t handle_;  // the system's: a file descriptor, or a Windows handle
};

// The whole file, or the reason why it cannot be read (code page 932). Opened
// first and then asked what it is, so that the check and the read are about
// the same file; a pipe or a device put under the name cannot stall it.
struct file_bytes_t {
  std::string bytes;
  std::string reason;  // empty on success
};
[[nodiscard]] file_bytes_t ReadFileBytes(const std::filesystem::path& file_name);

// File names as the programs take them (UTF-8 on Windows; on other systems
// the bytes as they are) and as messages show them (code page 932).
[[nodiscard]] std::filesystem::path PathFromUtf8(std::string_view name);
[[nodiscard]] std::string PathToUtf8(const std::filesystem::path& path);
[[nodiscard]] std::string PathToCp932(const std::filesystem::path& path);

// For tests that must force a race or see a save half-way. named_temporary
// takes the way of systems without unnamed files, refuse_rename_noreplace that
// of filesystems that refuse to rename without replacing; written is called
// when the contents are written, before the new file gets the old one's mode,
// with the temporary file's name (empty while it has none); before_replace
// right before the target is checked again, before_rename right after.
struct save_hooks_t {
  bool named_temporary = false;
  bool refuse_rename_noreplace = false;
  std::function<void(const std::filesystem::path& temporary)> written;
  std::function<void()> before_replace;
  std::function<void()> before_rename;
};
void SetSaveHooksForTesting(save_hooks_t hooks);

}  // namespace qvl
