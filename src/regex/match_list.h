// The matches of one run: for each match, where the whole match and each
// capture group lie in the subject, in UTF-16 code units.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

namespace vexaro::regex_engine {

struct Span {
  static constexpr std::size_t kUnset = std::numeric_limits<std::size_t>::max();
  std::size_t start = kUnset;
  std::size_t end = kUnset;
  // A capture group that took no part in the match.
  bool IsUnset() const { return start == kUnset; }
  std::size_t Length() const { return IsUnset() ? 0 : end - start; }
};

class MatchList {
 public:
  explicit MatchList(int groupCount) : groupCount_(groupCount) {}

  int GroupCount() const { return groupCount_; }
  std::size_t Count() const { return spans_.size() / SpansPerMatch(); }

  // Group 0 is the whole match; `match` and `group` must be in range.
  Span Group(std::size_t match, int group) const {
    return spans_[match * SpansPerMatch() + static_cast<std::size_t>(group)];
  }

  // Adds one match; `spans` holds its whole match and every group in order.
  void Add(const Span* spans) { spans_.insert(spans_.end(), spans, spans + SpansPerMatch()); }

 private:
  std::size_t SpansPerMatch() const { return static_cast<std::size_t>(groupCount_) + 1; }

  int groupCount_;
  std::vector<Span> spans_;
};

}  // namespace vexaro::regex_engine
