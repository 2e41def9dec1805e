// Pattern files: loading a document's scene tree from SXML text and saving it
// back, with the retry question of a failed load left to the caller.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "model/qvl_scene.h"

namespace qvl {

// Groups nested deeper than this are refused as a failed load: no real
// document comes near it, and the tree's recursive operations stay far from
// the end of the stack.
inline constexpr int kMaxGroupDepth = 256;

enum class load_answer_t { Abort, Retry };
// Asked after a failed load attempt with the failure message (code page 932);
// Retry repeats the whole load.
using load_failure_handler_t = std::function<load_answer_t(const std::string& message)>;

// Replaces the contents of root with the document in the file, then normalises
// its pattern lists whatever the result. A file that cannot be read or parsed
// leaves the tree as it was and asks on_failure (no handler means Abort); a
// file that does not exist (any more) fails without asking.
[[nodiscard]] bool LoadDocument(root_t& root, const std::filesystem::path& file_name,
                                const load_failure_handler_t& on_failure);
// The same reading rules on text already in memory, without a question: false
// on a parse failure, leaving root unchanged; on success the lists are
// normalised.
[[nodiscard]] bool LoadDocumentFromText(root_t& root, std::string_view text);

struct save_result_t {
  bool ok;
  std::string error;  // code page 932 text of the reason when !ok
};
// Writes the document (normalising its pattern lists first) through a
// temporary file in the same folder that replaces the target only once it is
// completely on disk; on failure the previous file is left as it was.
[[nodiscard]] save_result_t SaveDocument(root_t& root, const std::filesystem::path& file_name);
// Exactly the bytes SaveDocument writes: the lists normalised, the root's text,
// every line break as carriage return and line feed, the last line included.
[[nodiscard]] std::string DocumentText(root_t& root);

// The message shown when a load fails, for the file name as passed in.
[[nodiscard]] std::string LoadFailureMessage(const std::filesystem::path& file_name);
// A message for a failed save: which file, then the reason SaveDocument gave.
[[nodiscard]] std::string SaveFailureMessage(const std::filesystem::path& file_name,
                                             std::string_view reason);

// Integer attribute values: an optional sign and decimal digits only, within
// the signed 64-bit range; anything else is no value.
[[nodiscard]] bool ParseScore(std::string_view text, score_t& value);

}  // namespace qvl
