// Names for the tests' own files in the temporary folder that no other test
// process picks at the same time. A process id is not enough: Wine hands the
// same ids to processes that run side by side in different prefixes.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace qvl::test {

inline std::string UniqueName(const std::string& stem) {
  static const std::uint64_t run = [] {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
  }();
  static int counter = 0;
  return stem + std::to_string(run) + "_" + std::to_string(counter++);
}

}  // namespace qvl::test
