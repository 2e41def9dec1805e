// Writing whole files so that a reader only ever sees the old contents or the
// complete new ones: every file that the window and qvl write goes through here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qvl {

struct save_result_t {
  bool ok;
  std::string error;  // code page 932 text of the reason when !ok
};

// Replaces the file (or creates it) with bytes. The new contents are written
// to a file without a name in the target's folder where the system offers
// one, else to a temporary file beside it, flushed to the disk and renamed
// over the target only when complete; on failure the target is untouched.
// A symbolic link is followed and kept. Only a regular file is ever replaced:
// a device, a pipe, a socket, a folder or a loop of links is refused, and so
// is a file whose mode denies the saving user writing (for the superuser: a
// file without any write bit). Temporary files of earlier saves in the same
// folder whose process has ended are removed first.
[[nodiscard]] save_result_t WriteFileAtomically(const std::filesystem::path& file_name,
                                                std::string_view bytes);

// Removes the temporary files that an interrupted save left in folder: the
// names this writer gives, of a process that no longer runs, owned by the
// user. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace qvl
