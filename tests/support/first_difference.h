// Where two signals first differ in their bits, for the tests that hold a
// plugin's channels to the effect's own channel.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

namespace vorel_host {

// Where two signals first differ in their bits: the size of a if nowhere.
inline std::size_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  std::size_t first = 0;
  while (first < a.size() && std::memcmp(&a[first], &b[first], sizeof(float)) == 0) ++first;
  return first;
}

}  // namespace vorel_host
