#include "kroplay/host/nearest_name.h"

#include <algorithm>
#include <cctype>

namespace kroplay {
namespace {

char folded(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Levenshtein distance with letter case ignored.
size_t edits(const std::string &a, const std::string &b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t replaced = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({replaced, row[j] + 1, row[j - 1] + 1});
    }
  }
  return row[b.size()];
}

}  // namespace

std::string nearest_name(const std::string &word, const std::vector<std::string> &candidates) {
  if (std::find(candidates.begin(), candidates.end(), word) != candidates.end()) return "";
  // Letters in another case are no edit at all, so they come first.
  std::string best;
  size_t best_edits = std::max<size_t>(1, word.size() / 3) + 1;
  for (const std::string &candidate : candidates) {
    const size_t n = edits(word, candidate);
    if (n < best_edits || (n == best_edits && !best.empty() && candidate < best)) {
      best = candidate;
      best_edits = n;
    }
  }
  return best;
}

}  // namespace kroplay
