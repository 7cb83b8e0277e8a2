#include "regex/js_replacement.h"

namespace vexaro::regex_engine {

namespace {

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

class ReplacementWriter {
 public:
  ReplacementWriter(std::u16string_view subject, const MatchList& matches, std::size_t match,
                    std::u16string& out)
      : subject_(subject), matches_(matches), match_(match), out_(out) {}

  void Write(std::u16string_view replacement) {
    std::size_t i = 0;
    while (i < replacement.size()) {
      if (replacement[i] != u'$' || i + 1 == replacement.size()) {
        out_ += replacement[i++];
        continue;
      }
      i += WriteDollarItem(replacement.substr(i));
    }
  }

 private:
  // Writes what the item at the start of `item` (a dollar sign and what
  // follows) stands for; gives the number of units it took.
  std::size_t WriteDollarItem(std::u16string_view item) {
    const Span whole = matches_.Group(match_, 0);
    switch (item[1]) {
      case u'$':
        out_ += u'$';
        return 2;
      case u'&':
        out_ += subject_.substr(whole.start, whole.Length());
        return 2;
      case u'`':
        out_ += subject_.substr(0, whole.start);
        return 2;
      case u'\'':
        out_ += subject_.substr(whole.end);
        return 2;
      default:
        break;
    }
    if (IsDigit(item[1])) return WriteGroupReference(item);
    out_ += u'$';
    return 1;
  }

  // $n or $nn. Two digits name a group when there is such a group; else the
  // first digit alone does, and the second is plain text.
  std::size_t WriteGroupReference(std::u16string_view item) {
    const int groupCount = matches_.GroupCount();
    std::size_t digits = item.size() > 2 && IsDigit(item[2]) ? 2 : 1;
    int group = item[1] - u'0';
    if (digits == 2) {
      const int twoDigitGroup = group * 10 + (item[2] - u'0');
      if (twoDigitGroup <= groupCount) {
        group = twoDigitGroup;
      } else {
        digits = 1;
      }
    }
    if (group < 1 || group > groupCount) {
      out_ += item.substr(0, 1 + digits);  // no such group: kept as written
      return 1 + digits;
    }
    const Span span = matches_.Group(match_, group);
    if (!span.IsUnset()) out_ += subject_.substr(span.start, span.Length());
    return 1 + digits;
  }

  std::u16string_view subject_;
  const MatchList& matches_;
  std::size_t match_;
  std::u16string& out_;
};

}  // namespace

std::u16string ReplaceMatches(std::u16string_view subject, const MatchList& matches,
                              std::u16string_view replacement) {
  std::u16string out;
  out.reserve(subject.size());
  std::size_t copied = 0;
  for (std::size_t match = 0; match < matches.Count(); ++match) {
    const Span whole = matches.Group(match, 0);
    if (whole.start < copied) continue;  // matches never overlap; kept safe all the same
    out += subject.substr(copied, whole.start - copied);
    ReplacementWriter(subject, matches, match, out).Write(replacement);
    copied = whole.end;
  }
  out += subject.substr(copied);
  return out;
}

}  // namespace vexaro::regex_engine
