// The names of the temporary files that saves write beside their target, the
// same on every system, for the writers of both systems alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace qvl::file_names {

// ".qvl-save-" and 16 hexadecimal digits of chance, ".tmp": no name a user
// gives a file of their own, and no name that another save picks at the same
// time.
inline constexpr std::string_view kTemporaryPrefix = ".qvl-save-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";
inline constexpr std::size_t kTemporaryDigits = 16;

// A new temporary name in the system's characters (char or wchar_t).
template <typename C>
std::basic_string<C> TemporaryName() {
  static thread_local std::mt19937_64 random{[] {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
  }()};
  constexpr std::string_view kHex = "0123456789abcdef";
  const std::uint64_t bits = random();
  std::basic_string<C> name(kTemporaryPrefix.begin(), kTemporaryPrefix.end());
  for (int shift = static_cast<int>(4 * (kTemporaryDigits - 1)); shift >= 0; shift -= 4) {
    name.push_back(static_cast<C>(kHex[(bits >> shift) & 0xF]));
  }
  name.append(kTemporarySuffix.begin(), kTemporarySuffix.end());
  return name;
}

// Whether name has the form of a temporary name.
template <typename C>
bool IsTemporaryName(std::basic_string_view<C> name) {
  const std::size_t digits_at = kTemporaryPrefix.size();
  const std::size_t suffix_at = digits_at + kTemporaryDigits;
  if (name.size() != suffix_at + kTemporarySuffix.size()) return false;
  for (std::size_t i = 0; i < digits_at; ++i) {
    if (name[i] != static_cast<C>(kTemporaryPrefix[i])) return false;
  }
  for (std::size_t i = digits_at; i < suffix_at; ++i) {
    const C c = name[i];
    if (!((c >= C('0') && c <= C('9')) || (c >= C('a') && c <= C('f')))) return false;
  }
  for (std::size_t i = 0; i < kTemporarySuffix.size(); ++i) {
    if (name[suffix_at + i] != static_cast<C>(kTemporarySuffix[i])) return false;
  }
  return true;
}

}  // namespace qvl::file_names
