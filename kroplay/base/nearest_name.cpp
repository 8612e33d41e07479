#include "kroplay/base/nearest_name.h"

#include <algorithm>
#include <cctype>

namespace kroplay {
namespace {

char folded(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Edits from `a` to `b`: inserted, deleted or replaced letters, and two
// neighbours swapped, with letter case ignored (optimal string alignment).
size_t edits(const std::string &a, const std::string &b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      const bool same = folded(a[i - 1]) == folded(b[j - 1]);
      d[i][j] = std::min({d[i - 1][j - 1] + (same ? 0 : 1), d[i - 1][j] + 1, d[i][j - 1] + 1});
      if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) &&
          folded(a[i - 2]) == folded(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

}  // namespace

std::string nearest_name(const std::string &word, const std::vector<std::string> &candidates) {
  if (std::find(candidates.begin(), candidates.end(), word) != candidates.end()) return "";
  // Letters in another case are no edit at all, so they come first.
  std::string best;
  size_t best_edits = std::max<size_t>(1, word.size() / 3) + 1;
  for (const std::string &candidate : candidates) {
    // Each letter of difference in length is an edit at least.
    const size_t longer = std::max(word.size(), candidate.size());
    if (longer - std::min(word.size(), candidate.size()) > best_edits) continue;
    const size_t n = edits(word, candidate);
    if (n < best_edits || (n == best_edits && !best.empty() && candidate < best)) {
      best = candidate;
      best_edits = n;
    }
  }
  return best;
}

}  // namespace kroplay
