// The name someone most likely meant, for "did you mean" in messages.
#ifndef KROPLAY_NEAREST_NAME_H
#define KROPLAY_NEAREST_NAME_H

#include <string>
#include <vector>

namespace kroplay {

// The candidate nearest to `word`, if one is near enough to be what was
// meant: the same letters in another case first, else the fewest edits
// (insert, delete or replace a letter, swap two neighbours; letter case
// aside), at most one per three letters of `word` and at least one; among
// equals, the first in byte order. Empty if none is near enough (or `word`
// is a candidate).
std::string nearest_name(const std::string &word, const std::vector<std::string> &candidates);

}  // namespace kroplay

#endif  // KROPLAY_NEAREST_NAME_H
