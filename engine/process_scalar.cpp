#include "engine/process_kernels.h"

namespace huesift::detail {

void ProcessRowScalar(std::uint32_t* row, int n, const RowJob& job) {
  // Screen pictures come in long runs of one colour; the rule is a function of the word
  // alone, so a repeat of the previous word reuses its result.
  std::uint32_t lastIn = kStoredWhite;
  std::uint32_t lastOut = ApplyRule(kStoredWhite, job);
  for (int i = 0; i < n; ++i) {
    const std::uint32_t word = row[i];
    if (word != lastIn) {
      lastIn = word;
      lastOut = ApplyRule(word, job);
    }
    // Leaving unchanged words unwritten keeps their cache lines clean.
    if (lastOut != word) row[i] = lastOut;
  }
}

}  // namespace huesift::detail
