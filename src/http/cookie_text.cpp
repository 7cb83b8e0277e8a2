#include "http/cookie_text.h"

#include <string>
#include <unordered_set>

namespace vexaro {

namespace {

constexpr std::string_view kItemSeparator = "; ";
constexpr std::string_view kDeletedSuffix = "=deleted";

bool IsDeletedCookie(std::string_view item) {
  return TextEquals(LastBytes(item, static_cast<Position>(kDeletedSuffix.size())),
                    kDeletedSuffix);
}

// Removes the last `n` bytes (all of them when the text is shorter).
void DropLastBytes(AnsiText& text, std::size_t n) {
  text.resize(text.size() > n ? text.size() - n : 0);
}

}  // namespace

AnsiText CookieName(std::string_view Entry) {
  Position equals = Search(Entry, "=");
  return Trim(equals == kNotFound ? Entry : Entry.substr(0, static_cast<std::size_t>(equals - 1)));
}

bool HasCookieName(const std::vector<AnsiText>& Entries, std::string_view Name) {
  for (const AnsiText& entry : Entries) {
    if (TextEquals(CookieName(entry), Name)) return true;
  }
  return false;
}

Position FindItem(const std::vector<AnsiText>& Entries, std::string_view Entry) {
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    if (TextEquals(Entries[i], Entry)) return static_cast<Position>(i + 1);
  }
  return kNotFound;
}

// The list of seen items is a hash set here, so the walk stays linear for
// thousands of items while keeping exactly the items that FindItem would.
AnsiText RemoveDuplicates(std::string_view Text, std::string_view Separator) {
  std::vector<AnsiText> items = Split(Text, Separator);
  std::unordered_set<std::string_view> seen;
  seen.reserve(items.size());
  AnsiText output;
  output.reserve(Text.size() + Separator.size());
  for (const AnsiText& item : items) {
    if (!seen.insert(item).second) continue;
    output += item;
    output += Separator;
  }
  DropLastBytes(output, Separator.size());
  return output;
}

// The names already in the new list are kept in a hash set, which gives the
// answers HasCookieName would give over the growing list, in constant time.
AnsiText MergeCookieText(AnsiText& Cookies, AnsiText& ReturnedCookies) {
  Cookies = RemoveSpaces(Cookies);
  ReturnedCookies = RemoveSpaces(ReturnedCookies);

  std::vector<AnsiText> oldItems = Split(Cookies, ";");
  std::vector<AnsiText> newItems = Split(ReturnedCookies, ";");
  std::unordered_set<AnsiText> newNames;
  newNames.reserve(newItems.size() + oldItems.size());
  for (const AnsiText& item : newItems) newNames.insert(CookieName(item));
  for (AnsiText& item : oldItems) {
    if (newNames.insert(CookieName(item)).second) newItems.push_back(std::move(item));
  }

  Cookies.clear();
  for (const AnsiText& item : newItems) {
    if (IsDeletedCookie(item)) continue;
    Cookies += item;
    Cookies += kItemSeparator;
  }
  DropLastBytes(Cookies, kItemSeparator.size());
  Cookies = RemoveDuplicates(Cookies, kItemSeparator);
  return Cookies;
}

}  // namespace vexaro
