// JsonDocument: reading a JSON value by path, through the engine instance
// each document keeps.
#include "json/json_document.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {
namespace {

// Test texts are written in UTF-8 and used in code page 936.
AnsiText Gbk(std::string_view utf8) { return Utf8ToAnsi(utf8); }

const AnsiText kRecord = Gbk(R"({"message":"成功","data":[{"title":"标题 Title",)"
                             R"("duration":15,"ratio":2.50,"size":12345678901234,"flag":true,)"
                             R"("none":null,"author":{"nickname":"作者"},)"
                             R"("addresses":{"hd":{"url":"http://h/1.mp4"},"sd":{"url":"http://s/1.mp4"}},)"
                             R"("empty":[],"emptyObject":{}}]})");

std::vector<AnsiText> Names(JsonDocument& document, std::string_view path = {}) {
  std::vector<AnsiText> names{"left over"};
  const int count = document.GetMemberNames(names, path);
  EXPECT_EQ(count, static_cast<int>(names.size()));
  return names;
}

TEST(JsonDocument, NewDocumentHoldsAnEmptyObject) {
  JsonDocument document;
  EXPECT_EQ(document.GetVariableName(), "da");
  EXPECT_EQ(document.ToJson(), "{}");
  EXPECT_EQ(Names(document), std::vector<AnsiText>{});
  EXPECT_EQ(document.GetValueType(), JsonValueType::Object);
  EXPECT_EQ(document.GetValue("anything"), "");
}

TEST(JsonDocument, ParseReadsJsonTextAndNothingElse) {
  struct Case {
    std::string text;
    bool parsed;
    const char* json;  // ToJson afterwards
    JsonValueType type;
  } cases[] = {
      {R"({"a":"b"})", true, R"({"a":"b"})", JsonValueType::Object},
      {" [1, 2]\r\n", true, "[1,2]", JsonValueType::Array},
      {"0", true, "0", JsonValueType::Number},
      {"false", true, "false", JsonValueType::Boolean},
      {R"("text")", true, R"("text")", JsonValueType::String},  // a string, not a script
      {"null", false, "null", JsonValueType::Null},
      {"", false, "", JsonValueType::Null},  // undefined
      {" \t", false, "", JsonValueType::Null},
      {R"({"a":)", false, "null", JsonValueType::Null},
      {"{a:1}", false, "null", JsonValueType::Null},
      {"[1,2,]", false, "null", JsonValueType::Null},
      // Bodies that are scripts: never run, whatever they would do.
      {"(function(){for(;;){}})()", false, "null", JsonValueType::Null},
      {R"({"a":1}, da={"ran":true})", false, "null", JsonValueType::Null},
      {"1+1", false, "null", JsonValueType::Null},
      {R"("for(;;){}")", true, R"("for(;;){}")", JsonValueType::String},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    JsonDocument document;
    ASSERT_TRUE(document.Parse(R"({"earlier":1})"));
    EXPECT_EQ(document.Parse(c.text), c.parsed);
    EXPECT_EQ(document.ToJson(), c.json);
    EXPECT_EQ(document.GetValueType(), c.type);
    EXPECT_EQ(document.GetValue("earlier"), "");  // the earlier value is gone
  }
}

TEST(JsonDocument, GetValueReadsByPath) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(kRecord));
  struct Case {
    const char* path;
    bool asJson;
    AnsiText value;
  } cases[] = {
      {"message", false, Gbk("成功")},
      {"data[0].title", false, Gbk("标题 Title")},
      {"data[0].author.nickname", false, Gbk("作者")},
      {"data[0].addresses.sd.url", false, "http://s/1.mp4"},
      {"data[0].duration", false, "15"},
      {"data[0].ratio", false, "2.5"},
      {"data[0].size", false, "1.234567890123e+013"},
      {"data[0].flag", false, "true"},
      {"data[0].none", false, ""},
      {"data[0].missing", false, ""},
      {"data[0].missing.below", false, ""},
      {"data[3].title", false, ""},
      {"", false, ""},
      {"data[0].author", true, Gbk(R"({"nickname":"作者"})")},
      {"data[0].empty", true, "[]"},
      {"data[0].ratio", true, "2.5"},
      {"data[0].none", true, "null"},
      {"data[0].missing", true, ""},
      {"", true, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(document.GetValue(c.path, c.asJson), c.value) << c.path << " asJson " << c.asJson;
  }
  EXPECT_EQ(document.GetMemberNumber("data[0].ratio"), 2.5);
  EXPECT_EQ(document.GetMemberNumber("message"), 0);
  EXPECT_EQ(document.GetMemberNumber("data[0].missing.below"), 0);
}

TEST(JsonDocument, GetValueOfARootArrayAndOfUnmappableText) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"([{"id":7,"name":"a\u0e01\ud83d\ude00b"},{"id":"x"}])"));
  EXPECT_EQ(document.GetValue("[0].id"), "7");
  EXPECT_EQ(document.GetValue("[1].id"), "x");
  // Characters that code page 936 lacks come back as '?' (one for a pair).
  EXPECT_EQ(document.GetValue("[0].name"), "a??b");
  EXPECT_EQ(document.GetValue("[0]", true), R"({"id":7,"name":"a??b"})");
}

TEST(JsonDocument, GetValueTypeOfEveryKind) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(kRecord));
  struct Case {
    const char* path;
    JsonValueType type;
  } cases[] = {
      {"", JsonValueType::Object},
      {"message", JsonValueType::String},
      {"data", JsonValueType::Array},
      {"data[0]", JsonValueType::Object},
      {"data[0].duration", JsonValueType::Number},
      {"data[0].flag", JsonValueType::Boolean},
      {"data[0].none", JsonValueType::Null},
      {"data[0].missing", JsonValueType::Null},
      {"data[0].missing.below", JsonValueType::Unknown},
      {"data[0].empty", JsonValueType::Array},
      {"data[0].emptyObject", JsonValueType::Object},
      {"toJSONString", JsonValueType::Unknown},  // a function
      {"[0]", JsonValueType::Unknown},           // joined with "." it does not evaluate
      {"a;for(;;){}", JsonValueType::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(document.GetValueType(c.path), c.type) << c.path;

  ASSERT_TRUE(document.Parse("[]"));
  EXPECT_EQ(document.GetValueType(), JsonValueType::Array);  // the whole value too
}

TEST(JsonDocument, GetMemberNamesInTheEnginesOrder) {
  struct Case {
    std::string json;
    const char* path;
    std::vector<AnsiText> names;
  } cases[] = {
      {kRecord, "data[0].addresses", {"hd", "sd"}},
      {kRecord, "data[0].missing", {}},
      {kRecord, "data[0].missing.below", {}},
      {kRecord, "data[0].empty", {}},
      {kRecord, "data[0].none", {}},
      {kRecord, "data[0].author", {"nickname"}},
      {R"([5,6,7])", "", {"0", "1", "2"}},
      {R"([{"k":1,"j":2}])", "[0]", {"k", "j"}},
      // Integer-like keys first, then the others in insertion order.
      {R"({"b":1,"2":1,"a":1,"1":1})", "", {"1", "2", "b", "a"}},
      // The prelude's inherited methods are taken out of the list by name.
      {R"({"xtoJSONString":1})", "", {"x"}},
      {R"({"toJSONString":1,"a":2})", "", {"a"}},
      {R"({"parseJSON":1})", "", {}},
      {R"({"a,b":1})", "", {"a", "b"}},
      {R"({"":1,"c":2})", "", {"", "c"}},
      {Gbk(R"({"名字":1,"é":2})"), "", {Gbk("名字"), Gbk("é")}},
      {"null", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json + " / " + c.path);
    JsonDocument document;
    document.Parse(c.json);
    EXPECT_EQ(Names(document, c.path), c.names);
  }
}

TEST(JsonDocument, PathsOutsideThePathRuleNeverReachTheEngine) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"a":{"b":1},"list":[1,2]})"));
  for (const char* path : {"a;for(;;){}", "a.b;for(;;){}", "a)+(function(){for(;;){}})()+(a",
                           "list[0]||(da={})", "a.b=5", "a. b", "a['b']", "a//"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(document.GetValue(path), "");
    EXPECT_EQ(document.GetValue(path, true), "");
    EXPECT_EQ(document.GetValueType(path), JsonValueType::Unknown);
    EXPECT_EQ(document.GetMemberNumber(path), 0);
    EXPECT_EQ(Names(document, path), std::vector<AnsiText>{});
  }
  EXPECT_EQ(document.ToJson(), R"({"a":{"b":1},"list":[1,2]})");
  EXPECT_EQ(document.GetValue(Gbk("名字")), "");  // a Chinese name is a path
}

TEST(JsonDocument, MemberNamesFromTheAnswerArePathCheckedBeforeUse) {
  // As the detail lookup does: list the address names, then read the first
  // one's url. A name that is not an identifier never reaches a script.
  JsonDocument document;
  ASSERT_TRUE(document.Parse(
      R"({"data":[{"addresses":{"a;for(;;){}":{"url":"u1"},"ok":{"url":"u2"}}}]})"));
  std::vector<AnsiText> names;
  ASSERT_EQ(document.GetMemberNames(names, "data[0].addresses"), 2);
  EXPECT_EQ(names[0], "a;for(;;){}");
  EXPECT_EQ(document.GetValue("data[0].addresses." + names[0] + ".url"), "");
  EXPECT_EQ(document.GetValue("data[0].addresses." + names[1] + ".url"), "u2");
}

TEST(JsonDocument, HugeTextsEndWithNullAndLeaveTheDocumentUsable) {
  // 50 MB is refused by its size alone; 30 MB gets into the engine and ends
  // at the memory cap while it is decoded.
  std::string numbers = "[";
  numbers.reserve((50u << 20) + 16);
  while (numbers.size() < (50u << 20)) numbers += "123456789,";
  numbers += "0]";
  std::string oneString = "{\"s\":\"";
  oneString.append(30u << 20, 'x');
  oneString += "\"}";

  JsonDocument document;
  for (const std::string* text : {&numbers, &oneString}) {
    EXPECT_FALSE(document.Parse(*text));
    EXPECT_EQ(document.ToJson(), "null");
  }
  EXPECT_TRUE(document.Parse(R"({"small":"ok"})"));
  EXPECT_EQ(document.GetValue("small"), "ok");
}

TEST(JsonDocument, CopiesShareTheValueUntilOneParses) {
  JsonDocument original;
  ASSERT_TRUE(original.Parse(R"({"v":"first"})"));
  JsonDocument copy(original);
  JsonDocument assigned;
  assigned = original;
  EXPECT_TRUE(copy.SharesEngineWith(original));
  EXPECT_TRUE(assigned.SharesEngineWith(original));
  EXPECT_EQ(copy.GetValue("v"), "first");

  ASSERT_TRUE(original.Parse(R"({"v":"second"})"));
  EXPECT_FALSE(copy.SharesEngineWith(original));
  EXPECT_EQ(original.GetValue("v"), "second");
  EXPECT_EQ(copy.GetValue("v"), "first");
  EXPECT_EQ(assigned.GetValue("v"), "first");

  ASSERT_TRUE(copy.Parse(R"({"v":"third"})"));
  EXPECT_EQ(copy.GetValue("v"), "third");
  EXPECT_EQ(assigned.GetValue("v"), "first");
}

TEST(JsonDocument, DocumentsOnSeveralThreadsKeepToThemselves) {
  // As detail lookups do: each worker thread owns its documents.
  std::vector<std::thread> workers;
  std::vector<AnsiText> read(4);
  for (int i = 0; i < 4; ++i) {
    workers.emplace_back([i, &read] {
      for (int round = 0; round < 5; ++round) {
        JsonDocument document;
        document.Parse(R"({"data":[{"n":)" + std::to_string(i) + "}]}");
        JsonDocument part = document.GetSubDocument("data[0]");
        read[i] = part.GetValue("n");
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(read, (std::vector<AnsiText>{"0", "1", "2", "3"}));
}

TEST(JsonDocument, PairsComponentLibraryCallsPerThread) {
  const int before = ComInitCount();
  {
    JsonDocument document;                 // +1
    EXPECT_EQ(ComInitCount(), before + 1);
    document.Parse("{}");                  // +1: a new engine instance
    EXPECT_EQ(ComInitCount(), before + 2);
    JsonDocument copy(document);           // a copy initialises nothing
    EXPECT_EQ(ComInitCount(), before + 2);
  }                                        // -1 for each of the two
  EXPECT_EQ(ComInitCount(), before);
}

}  // namespace
}  // namespace vexaro
