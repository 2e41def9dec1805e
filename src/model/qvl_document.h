// Pattern files: loading a document's scene tree from SXML text and saving it
// back, with the retry question of a failed load left to the caller.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "model/qvl_file.h"
#include "model/qvl_scene.h"

namespace qvl {

// Groups nested deeper than this are refused as a failed load: no real
// document comes near it, and the tree's recursive operations stay far from
// the end of the stack.
inline constexpr int kMaxGroupDepth = 256;

enum class load_answer_t { Abort, Retry };
// Asked after a failed load attempt with the failure message (code page 932):
// the fixed text, then a line with the reason; Retry repeats the whole load.
using load_failure_handler_t = std::function<load_answer_t(const std::string& message)>;

// Replaces the contents of root with the document in the file, then normalises
// its pattern lists whatever the result. A file that cannot be read or parsed
// leaves the tree as it was and asks on_failure (no handler means Abort); a
// file that does not exist (any more) fails without asking. Titles and memos
// are read as NormalizeTextForFile gives them, before any list is sorted.
[[nodiscard]] bool LoadDocument(root_t& root, const std::filesystem::path& file_name,
                                const load_failure_handler_t& on_failure);
struct load_result_t {
  bool ok;
  // Why not, in code page 932: where the text could not be read and what was
  // expected there (line and column counted in characters), nesting too
  // deep, memory, or the system's reason for a file that cannot be read.
  std::string reason;
  explicit operator bool() const { return ok; }
};
// The same reading rules on text already in memory, without a question: a
// failure leaves root unchanged; on success the lists are normalised. Text
// that ends inside an element that is still open is a failure: it was cut off.
[[nodiscard]] load_result_t LoadDocumentFromText(root_t& root, std::string_view text);
// Writes the document with WriteFileAtomically; on failure the previous file
// is left as it was. Its lists are written as they are: loading and every
// operation of the session leave them normalised.
[[nodiscard]] save_result_t SaveDocument(const root_t& root,
                                         const std::filesystem::path& file_name);
// Exactly the bytes SaveDocument writes: the root's text, every line break as
// carriage return and line feed, the last line included.
[[nodiscard]] std::string DocumentText(const root_t& root);

// The message shown when a load fails, for the file name as passed in.
[[nodiscard]] std::string LoadFailureMessage(const std::filesystem::path& file_name);
// The same with the reason on a line below it.
[[nodiscard]] std::string LoadFailureMessage(const std::filesystem::path& file_name,
                                             std::string_view reason);
// A message for a failed save: which file, then the reason SaveDocument gave.
[[nodiscard]] std::string SaveFailureMessage(const std::filesystem::path& file_name,
                                             std::string_view reason);
// One of these messages as UTF-8 for display, file_name spelt as the platform
// spells it: the messages hold it in code page 932, which loses the characters
// it cannot hold ("é" and "한" become "?").
[[nodiscard]] std::string FileMessageUtf8(std::string_view cp932_message,
                                          const std::filesystem::path& file_name);

// Integer attribute values: an optional sign and decimal digits only, within
// the signed 64-bit range; anything else is no value.
[[nodiscard]] bool ParseScore(std::string_view text, score_t& value);

}  // namespace qvl
