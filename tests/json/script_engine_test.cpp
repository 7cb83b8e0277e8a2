// The engine instance under a document: its calls and their results, the
// deadline and the memory cap, and the prelude's JSON support in an engine
// that has no JSON object of its own.
#include "json/script_engine.h"

#include <gtest/gtest.h>

#include <string>

#include "json/script_prelude.h"

namespace vexaro {
namespace {

std::u16string U16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }
std::string Ascii(const std::u16string& units) { return {units.begin(), units.end()}; }

class ScriptEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = ScriptEngine::Create();
    ASSERT_NE(engine_, nullptr);
  }
  std::string Text(std::string_view script) { return Ascii(engine_->EvalText(U16(script))); }
  std::shared_ptr<ScriptEngine> engine_;
};

TEST_F(ScriptEngineTest, ConvertsCompletionValuesToTheKindAsked) {
  struct Case {
    const char* script;
    const char* text;
    double number;
    bool boolean;
  } cases[] = {
      {"'abc'", "abc", 0, false},
      {"null", "", 0, false},
      {"undefined", "", 0, false},
      {"1/4", "0.25", 0.25, false},
      {"12345678901234", "1.234567890123e+013", 12345678901234, false},
      {"true", "true", 0, true},
      {"'12'", "12", 0, false},  // a string is no number
      {"[1,'b']", "1,b", 0, false},
      {"var a=1; a+1; var b;", "2", 2, false},  // the last expression statement
      {"var c=1", "", 0, false},                // no expression ran
      {"throw new Error('x')", "", 0, false},
      {"a b c", "", 0, false},                  // syntax error
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(Text(c.script), c.text);
    EXPECT_EQ(engine_->EvalNumber(U16(c.script)), c.number);
    EXPECT_EQ(engine_->EvalBoolean(U16(c.script)), c.boolean);
  }
}

TEST_F(ScriptEngineTest, KeepsDeclarationsAndCarriesTextThroughUtf16) {
  EXPECT_TRUE(engine_->AddCode(u"function triple(x){return 3*x}"));
  EXPECT_TRUE(engine_->Run(u"var kept=triple(5)"));
  EXPECT_EQ(engine_->EvalNumber(u"kept"), 15);
  EXPECT_FALSE(engine_->AddCode(u"function ("));
  // Characters beyond U+FFFF go in and come back as surrogate pairs.
  EXPECT_EQ(engine_->EvalText(u"'\u6210\U0001F600'.length + ':' + '\u6210\U0001F600'"),
            u"3:\u6210\U0001F600");
  EXPECT_EQ(engine_->EvalText(u"String.fromCharCode(0xD83D)"), std::u16string(1, 0xD83D));
}

TEST_F(ScriptEngineTest, CompiledProgramsDeclareLikeTheirText) {
  const CompiledProgram program =
      CompiledProgram::Compile(u"function twice(x){return 2*x} var seen=twice(4); v=1;");
  ASSERT_FALSE(program.IsEmpty());
  EXPECT_TRUE(engine_->AddCode(program));
  EXPECT_EQ(Text("typeof twice + ':' + seen + ':' + v"), "function:8:1");
  const auto other = ScriptEngine::Create();  // one compilation, many instances
  EXPECT_TRUE(other->AddCode(program));
  EXPECT_EQ(other->EvalNumber(u"twice(seen)"), 16);
  EXPECT_TRUE(CompiledProgram::Compile(u"function (").IsEmpty());
  EXPECT_FALSE(engine_->AddCode(CompiledProgram{}));
}

TEST_F(ScriptEngineTest, ReadsJsonWithoutRunningIt) {
  EXPECT_TRUE(engine_->Run(u"var v='before'"));
  EXPECT_TRUE(engine_->AssignJson(u"v", u" {\"a\":[1,2.5,\"\u6210\"]} "));
  EXPECT_EQ(engine_->EvalText(u"v.a[2]+v.a[1]"), u"\u62102.5");
  for (const char16_t* notJson : {u"(function(){ran=1})()", u"{a:1}", u"[1,]", u"'x'", u"1 2"}) {
    EXPECT_FALSE(engine_->AssignJson(u"v", notJson));
  }
  EXPECT_EQ(engine_->EvalText(u"typeof ran"), u"undefined");
  EXPECT_EQ(engine_->EvalText(u"v.a[0]"), u"1");  // unchanged by the failures
}

TEST_F(ScriptEngineTest, EndsEndlessScriptsAtTheDeadlineAndStaysUsable) {
  for (const char16_t* endless : {
           u"for(;;){}",
           u"for(;;){try{for(;;){}}catch(e){}}",  // the timeout cannot be caught
           u"({toString:function(){for(;;){}}})",
           // Every step calls a slow built-in: the check still comes often enough.
           u"for(;;){new Array(1000).join('x')}",
       }) {
    EXPECT_EQ(engine_->EvalText(endless), u"");
    EXPECT_EQ(engine_->EvalNumber(u"6*7"), 42);
  }
}

TEST_F(ScriptEngineTest, RefusesMemoryBeyondTheCapAndStaysUsable) {
  EXPECT_FALSE(engine_->Run(u"var s='x'; for(;;){s=s+s}"));
  EXPECT_FALSE(engine_->Run(u"var list=[]; for(var i=0;;i++){list.push('x'.repeat(1<<20)+i)}"));
  // Strings of 1 MiB each: the cap, not the deadline, ended the loop.
  const double kept = engine_->EvalNumber(u"list.length");
  EXPECT_GT(kept, 16);
  EXPECT_LT(kept, static_cast<double>(ScriptEngine::kMemoryCap >> 20));
  EXPECT_TRUE(engine_->Run(u"list=null; s=null"));
  EXPECT_LE(engine_->MemoryInUse(), ScriptEngine::kMemoryCap);
  EXPECT_EQ(engine_->EvalText(u"'still '+'here'"), u"still here");
  const std::u16string tooLarge(ScriptEngine::kMemoryCap + 1, u'1');
  EXPECT_FALSE(engine_->AssignJson(u"v", tooLarge));
}

// The prelude's JSON part, in an engine whose JSON object (and Date's toJSON)
// were removed before the prelude ran.
class PreludeWithoutJson : public ScriptEngineTest {
 protected:
  void SetUp() override {
    ScriptEngineTest::SetUp();
    ASSERT_TRUE(engine_->AddCode(u"delete JSON; delete Date.prototype.toJSON;"));
    ASSERT_EQ(Text("typeof JSON"), "undefined");
    const std::string_view prelude = ScriptPrelude();
    ASSERT_TRUE(engine_->AddCode(U16(prelude)));
  }
};

TEST_F(PreludeWithoutJson, StringifiesLikeTheNativeOne) {
  EXPECT_EQ(Text("typeof JSON.stringify + typeof JSON.parse"), "functionfunction");
  struct Case {
    const char* script;
    const char* json;
  } cases[] = {
      {"JSON.stringify({a:[1,'x\\n\\u2028',null,true,undefined,function(){}],b:undefined,c:{}})",
       R"({"a":[1,"x\n\u2028",null,true,null,null],"c":{}})"},
      {"JSON.stringify('\\u0001\"\\\\\\u007f')", R"("\u0001\"\\\u007f")"},
      {"JSON.stringify([NaN,-Infinity,0.5,-0])", "[null,null,0.5,0]"},
      {"JSON.stringify(undefined)", ""},
      {"JSON.stringify({a:[1,{}]},null,2)", "{\n  \"a\": [\n    1,\n    {}\n  ]\n}"},
      {"JSON.stringify([1],null,'--')", "[\n--1\n]"},
      {"JSON.stringify({a:1,b:2,c:3},['c','a'])", R"({"c":3,"a":1})"},
      {"JSON.stringify({a:1,b:2},function(k,v){return k==='a'?undefined:v})", R"({"b":2})"},
      {"JSON.stringify(new Date(Date.UTC(2020,0,2,3,4,5,678)))", R"("2020-01-02T03:04:05Z")"},
      {"JSON.stringify([new Date(NaN),new Number(5),new String('s'),new Boolean(false)])",
       R"([null,5,"s",false])"},
      {"try{JSON.stringify(1,5)}catch(e){e.message}", "JSON.stringify"},
      {"var o={a:1}; o.toJSONString()", R"({"a":1})"},
      {"get__count({a:1,b:2}) + ',' + get__count([7,8,9])", "2,3"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(c.script), c.json) << c.script;
}

TEST_F(PreludeWithoutJson, ParsesValidatedTextOnly) {
  struct Case {
    const char* script;
    const char* result;
  } cases[] = {
      {"JSON.stringify(JSON.parse(' [ {\"k\" : \"v\\\\u0041\\\\n\"}, -1.5e2, true, null ] '))",
       R"([{"k":"vA\n"},-150,true,null])"},
      {"JSON.parse('\"a\\u2028b\\u0000\"').length", "4"},  // rewritten before evaluation
      {"JSON.stringify(JSON.parse('{\"a\":1,\"b\":[2,3]}',"
       "function(k,v){return v===3?undefined:typeof v==='number'?v*10:v}))",
       R"({"a":10,"b":[20,null]})"},
      {"'[1,2]'.parseJSON()[1]", "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(c.script), c.result) << c.script;

  for (const char* hostile : {"(function(){ran=1})()", "ran=1", "{a:1}", "[1,2]+ran", "1+1",
                              "\"x\"(1)", "new Date()"}) {
    const std::string script = std::string("try{JSON.parse(") + "'" + hostile +
                               "')}catch(e){e.name+':'+e.message}";
    EXPECT_EQ(Text(script), "SyntaxError:JSON.parse") << hostile;
  }
  EXPECT_EQ(Text("typeof ran"), "undefined");
}

TEST_F(ScriptEngineTest, PreludeKeepsTheEnginesOwnJson) {
  ASSERT_TRUE(engine_->AddCode(U16(ScriptPrelude())));
  EXPECT_NE(Text("String(JSON.parse)").find("native"), std::string::npos);
  EXPECT_NE(Text("String(Date.prototype.toJSON)").find("native"), std::string::npos);
  EXPECT_EQ(Text("typeof String.prototype.toJSON"), "undefined");
  EXPECT_EQ(Text("var names=''; for (var k in {}) names+=k+','; names"),
            "toJSONString,parseJSON,");
}

}  // namespace
}  // namespace vexaro
