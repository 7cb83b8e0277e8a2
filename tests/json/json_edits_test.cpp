// JsonDocument's edits and queries: each changes or reads the value in the
// document's engine instance, or hands out a part of it as a document of
// its own.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "json/json_document.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

AnsiText Gbk(std::string_view utf8) { return Utf8ToAnsi(utf8); }

// One edit applied to a document holding `before`; ToJson must then give
// `after`.
struct EditCase {
  const char* name;
  std::string before;  // empty: a new document
  std::function<void(JsonDocument&)> edit;
  std::string after;
};

void RunEditCases(const std::vector<EditCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    JsonDocument document;
    if (!c.before.empty()) {
      ASSERT_TRUE(document.Parse(c.before));
    }
    c.edit(document);
    EXPECT_EQ(document.ToJson(), c.after);
  }
}

TEST(JsonEdits, AppendElement) {
  RunEditCases({
      {"new document", "", [](auto& d) { d.AppendElement("x"); }, R"(["x"])"},
      {"missing member", R"({"a":1})", [](auto& d) { d.AppendElement("x", "list"); },
       R"({"a":1,"list":["x"]})"},
      {"over an object", R"({"list":{"k":1}})", [](auto& d) { d.AppendElement("x", "list"); },
       R"({"list":["x"]})"},
      {"over a string", R"({"list":"s"})", [](auto& d) { d.AppendElement("x", "list"); },
       R"({"list":["x"]})"},
      {"to an array", R"({"list":[1]})", [](auto& d) { d.AppendElement("x", "list"); },
       R"({"list":[1,"x"]})"},
      {"escape takes effect", R"([])", [](auto& d) { d.AppendElement(R"(a\nb\'c)"); },
       R"(["a\nb'c"])"},
      {"Chinese text", "[]", [](auto& d) { d.AppendElement(Gbk("中文")); }, Gbk(R"(["中文"])")},
      {"raw number", R"({"list":[1]})", [](auto& d) { d.AppendElement("5", "list", true); },
       R"({"list":[1,5]})"},
      {"raw object", "[]", [](auto& d) { d.AppendElement("{}", "", true); }, "[{}]"},
      // Text that would not stay one string literal changes nothing at all,
      // not even the turn into an array.
      {"single quote", R"({"list":{"k":1}})", [](auto& d) { d.AppendElement("it's", "list"); },
       R"({"list":{"k":1}})"},
      {"line break", R"({"list":[]})", [](auto& d) { d.AppendElement("a\nb", "list"); },
       R"({"list":[]})"},
      {"quote breakout", R"({"list":[]})",
       [](auto& d) { d.AppendElement("'+(da.ran=1)+'", "list"); }, R"({"list":[]})"},
      {"trailing backslash", R"({"list":[]})", [](auto& d) { d.AppendElement("a\\", "list"); },
       R"({"list":[]})"},
      {"bad path", R"({"a":1})", [](auto& d) { d.AppendElement("x", "a;da.ran=1"); },
       R"({"a":1})"},
  });
}

TEST(JsonEdits, SetMemberAndItsKinds) {
  RunEditCases({
      {"string", R"({"a":1})", [](auto& d) { d.SetMember("b", "text"); }, R"({"a":1,"b":"text"})"},
      {"replace", R"({"a":1})", [](auto& d) { d.SetMember("a", Gbk("值")); }, Gbk(R"({"a":"值"})")},
      {"Chinese member", "{}", [](auto& d) { d.SetMember(Gbk("名字"), "x"); },
       Gbk(R"({"名字":"x"})")},
      {"nested", R"({"a":{}})", [](auto& d) { d.SetMember("a.b", "x"); }, R"({"a":{"b":"x"}})"},
      {"below a missing member", R"({"a":1})", [](auto& d) { d.SetMember("m.b", "x"); },
       R"({"a":1})"},
      {"single quote", R"({"a":1})", [](auto& d) { d.SetMember("a", "it's"); }, R"({"a":1})"},
      {"empty expression", R"({"a":1})", [](auto& d) { d.SetMember("a", "", true); },
       R"({"a":{}})"},
      {"expression", "{}", [](auto& d) { d.SetMember("a", "[1+2,'x']", true); },
       R"({"a":[3,"x"]})"},
      {"json", "{}", [](auto& d) { d.SetMemberJson("a", R"({"b":[1,null,"c"]})"); },
       R"({"a":{"b":[1,null,"c"]}})"},
      {"json string", "{}", [](auto& d) { d.SetMemberJson("a", R"("da.ran=1")"); },
       R"({"a":"da.ran=1"})"},
      {"not json", R"({"a":1})", [](auto& d) { d.SetMemberJson("a", "da.ran=1"); }, R"({"a":1})"},
      {"empty json", R"({"a":1,"b":2})", [](auto& d) { d.SetMemberJson("a", ""); },
       R"({"b":2})"},  // undefined, which JSON leaves out
      {"json below missing", R"({"a":1})", [](auto& d) { d.SetMemberJson("m.b", "1"); },
       R"({"a":1})"},
      {"number", "{}", [](auto& d) { d.SetMemberNumber("n", 2.5); }, R"({"n":2.5})"},
      {"number kept exactly", "{}", [](auto& d) { d.SetMemberNumber("n", 12345678901234); },
       R"({"n":12345678901234})"},
      {"not a number", R"({"n":1})", [](auto& d) { d.SetMemberNumber("n", std::nan("")); },
       R"({"n":1})"},
      {"root string", "{}", [](auto& d) { d.SetRootValue("v"); }, R"("v")"},
      {"root expression", "{}", [](auto& d) { d.SetRootValue("[1,2]", true); }, "[1,2]"},
      {"root single quote", "[1]", [](auto& d) { d.SetRootValue("it's"); }, "[1]"},
      {"clear", "[1]", [](auto& d) { d.Clear(); }, "{}"},
  });
}

TEST(JsonEdits, ElementsOfTheWholeValue) {
  RunEditCases({
      {"set past the end", R"(["a"])", [](auto& d) { d.SetElement(2, "c"); },
       R"(["a",null,"c"])"},
      {"set raw", R"(["a"])", [](auto& d) { d.SetElement(0, "1+1", true); }, "[2]"},
      {"set on an object", R"({"k":1})", [](auto& d) { d.SetElement(0, "v"); },
       R"({"0":"v","k":1})"},
      {"set single quote", R"(["a"])", [](auto& d) { d.SetElement(0, "it's"); }, R"(["a"])"},
      {"remove", "[1,2,3]", [](auto& d) { d.RemoveElement(1); }, "[1,3]"},
      {"remove past the end", "[1,2,3]", [](auto& d) { d.RemoveElement(5); }, "[1,2,3]"},
      {"remove from an object", R"({"0":1})", [](auto& d) { d.RemoveElement(0); }, R"({"0":1})"},
      {"remove at list[1]", R"({"list":[1,2,3]})", [](auto& d) { d.RemoveElementAt("list[1]"); },
       R"({"list":[1,3]})"},
      {"remove at a path without brackets", R"({"list":[1,2,3]})",
       [](auto& d) { d.RemoveElementAt("list"); }, R"({"list":[1,2,3]})"},
      {"remove at a path that starts with [", "[[1,2]]",
       [](auto& d) { d.RemoveElementAt("[0]"); }, "[[1,2]]"},
      {"remove at the last index", R"({"data":[{"list":["a","b"]},2]})",
       [](auto& d) { d.RemoveElementAt("data[0].list[0]"); }, R"({"data":[{"list":["b"]},2]})"},
      {"reset array", R"({"a":1})", [](auto& d) { d.Reset(JsonValueType::Array); }, "[]"},
      {"reset null", "[1]", [](auto& d) { d.Reset(JsonValueType::Null); }, "{}"},
      {"reset object", "[1]", [](auto& d) { d.Reset(JsonValueType::Object); }, "{}"},
      {"reset 3", "[1]", [](auto& d) { d.Reset(static_cast<JsonValueType>(3)); }, "[1]"},
      {"reset string", "[1]", [](auto& d) { d.Reset(JsonValueType::String); }, "[1]"},
  });
}

TEST(JsonQueries, MemberCountsHasMemberAndMemberJson) {
  JsonDocument fresh;
  EXPECT_EQ(fresh.GetMemberCount(), 0);

  JsonDocument document;
  ASSERT_TRUE(document.Parse(
      R"({"obj":{"a":1,"b":2,"c":3},"list":[1,2],"none":null,"zero":0,"empty":"","no":false})"));
  struct Case {
    const char* path;
    int count;
    bool has;
    const char* json;
  } cases[] = {
      {"", 6, false, ""},  // the whole value; HasMember and GetMemberJson need a member
      {"obj", 3, true, R"({"a":1,"b":2,"c":3})"},
      {"list", 2, true, "[1,2]"},
      {"none", 0, false, "null"},
      {"zero", 0, true, "0"},
      {"empty", 0, true, R"("")"},
      {"no", 0, true, "false"},
      {"missing", 0, false, ""},
      {"missing.below", 0, false, ""},
      {"obj;for(;;){}", 0, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(document.GetMemberCount(c.path), c.count);
    EXPECT_EQ(document.HasMember(c.path), c.has);
    EXPECT_EQ(document.GetMemberJson(c.path), c.json);
  }

  JsonDocument array;
  ASSERT_TRUE(array.Parse(R"([{"x":1,"y":2},3,4])"));
  EXPECT_EQ(array.GetMemberCount(), 3);
  EXPECT_EQ(array.GetMemberCount("[0]"), 2);
}

TEST(JsonQueries, ElementValues) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"list":[7,"x",{"a":1},null,2.50]})"));
  struct Case {
    int index;
    bool asJson;
    const char* value;
  } cases[] = {
      {0, false, "7"},     {1, false, "x"},       {3, false, ""},    {4, false, "2.5"},
      {9, false, ""},      {-1, false, ""},       {2, true, R"({"a":1})"},
      {3, true, "null"},   {9, true, ""},         {1, true, R"("x")"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(document.GetElementValue(c.index, "list", c.asJson), c.value)
        << c.index << " asJson " << c.asJson;
  }
  JsonDocument root;
  ASSERT_TRUE(root.Parse(R"(["r0","r1"])"));
  EXPECT_EQ(root.GetElementValue(1), "r1");
  EXPECT_EQ(root.GetElementValue(0, "", true), R"("r0")");
}

TEST(JsonQueries, PartsAreIndependentDocuments) {
  JsonDocument source;
  ASSERT_TRUE(source.Parse(R"({"sub":{"a":1},"list":[{"e":0},{"e":1}]})"));
  JsonDocument sub = source.GetSubDocument("sub");
  JsonDocument element = source.GetElementDocument(1, "list");
  EXPECT_FALSE(sub.SharesEngineWith(source));
  EXPECT_EQ(sub.ToJson(), R"({"a":1})");
  EXPECT_EQ(element.ToJson(), R"({"e":1})");

  source.SetMember("sub.a", "changed");
  source.SetMember("list[1].e", "changed");
  EXPECT_EQ(sub.ToJson(), R"({"a":1})");
  EXPECT_EQ(element.ToJson(), R"({"e":1})");

  sub.SetMember("b", "new");
  element.Clear();
  EXPECT_EQ(source.ToJson(), R"({"sub":{"a":"changed"},"list":[{"e":0},{"e":"changed"}]})");

  // A path that names nothing gives a document holding undefined.
  for (const char* path : {"missing", "", "sub;x"}) {
    JsonDocument nothing = source.GetSubDocument(path);
    EXPECT_EQ(nothing.ToJson(), "") << path;
    EXPECT_EQ(nothing.GetValueType(), JsonValueType::Null) << path;
  }
  EXPECT_EQ(source.GetElementDocument(5, "list").ToJson(), "");

  JsonDocument array;
  ASSERT_TRUE(array.Parse(R"([[1,2]])"));
  EXPECT_EQ(array.GetSubDocument("[0]").ToJson(), "[1,2]");
  EXPECT_EQ(array.GetElementDocument(0).ToJson(), "[1,2]");
}

TEST(JsonQueries, CopiesSeeEachOthersEditsUntilOneParses) {
  JsonDocument original;
  JsonDocument copy(original);
  original.SetMember("a", "1");
  copy.AppendElement("x", "list");
  EXPECT_EQ(copy.ToJson(), R"({"a":"1","list":["x"]})");
  EXPECT_EQ(original.ToJson(), copy.ToJson());
  ASSERT_TRUE(copy.Parse("{}"));
  original.SetMember("b", "2");
  EXPECT_EQ(copy.ToJson(), "{}");
}

TEST(JsonQueries, ParseStartsFromAFreshEngineInstance) {
  JsonDocument document;
  document.SetMember("a", "(leftBehind=1)", true);
  ASSERT_TRUE(document.Parse("{}"));
  document.SetMember("seen", "[typeof leftBehind]", true);
  EXPECT_EQ(document.GetValue("seen[0]"), "undefined");
}

TEST(JsonEdits, CallerExpressionsRunUnderTheDeadlineAndTheCap) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"a":1})"));
  document.SetMember("b", "(function(){for(;;){}})()", true);
  document.AppendElement("(function(){var s='x';for(;;){s+=s}})()", "list", true);
  document.SetRootValue("(function(){for(;;){}})()", true);
  EXPECT_EQ(document.ToJson(), R"({"a":1,"list":[]})");  // the array came before the push
  document.SetMember("c", "ok");
  EXPECT_EQ(document.GetValue("c"), "ok");
}

}  // namespace
}  // namespace vexaro
