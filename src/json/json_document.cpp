#include "json/json_document.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "json/json_path.h"
#include "json/number_text.h"
#include "json/script_engine.h"
#include "json/script_prelude.h"
#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {

namespace {

// Compiling the prelude costs more than making a heap; it is compiled once
// per process and each new engine instance loads the result.
const CompiledProgram& CompiledPrelude() {
  static const CompiledProgram prelude = [] {
    const std::string_view ascii = ScriptPrelude();
    return CompiledProgram::Compile(std::u16string(ascii.begin(), ascii.end()));
  }();
  return prelude;
}

// The engine calls. Each gives the empty result of its kind when there is no
// engine or the call fails.
void AddCode(ScriptEngine* engine, const CompiledProgram& program) {
  if (engine != nullptr) engine->AddCode(program);
}

void EvalIgnored(ScriptEngine* engine, std::string_view script) {
  if (engine != nullptr) engine->Run(AnsiToU16(script));
}

AnsiText EvalText(ScriptEngine* engine, std::string_view script) {
  if (engine == nullptr) return {};
  return U16ToAnsi(engine->EvalText(AnsiToU16(script)));
}

double EvalNumber(ScriptEngine* engine, std::string_view script) {
  return engine != nullptr ? engine->EvalNumber(AnsiToU16(script)) : 0;
}

bool EvalBoolean(ScriptEngine* engine, std::string_view script) {
  return engine != nullptr && engine->EvalBoolean(AnsiToU16(script));
}

// Only a path that follows the path rule is ever pasted into a script.
bool IsPath(std::string_view path) { return IsPathText(AnsiToU16(path)); }

// The separator of the reading operations: none before an index, else ".".
std::string_view Separator(std::string_view path) {
  return !path.empty() && path.front() == '[' ? std::string_view{} : std::string_view{"."};
}

AnsiText Join(std::initializer_list<std::string_view> pieces) {
  AnsiText joined;
  std::size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  joined.reserve(size);
  for (std::string_view piece : pieces) joined.append(piece);
  return joined;
}

// A value between single quotes only when it stays one string literal there.
bool IsQuotable(std::string_view value) { return IsQuotedLiteralBody(AnsiToU16(value)); }

// The quote around a value: none when it is the caller's expression.
std::string_view Quote(bool raw) { return raw ? std::string_view{} : std::string_view{"'"}; }

// A target that is the whole value for the empty path, else N + "." + P.
AnsiText DottedTarget(std::string_view variable, std::string_view path) {
  return path.empty() ? AnsiText(variable) : Join({variable, ".", path});
}

std::string IndexText(int index) { return std::to_string(index); }

// An index read as atoi reads it: white space and a sign first, digits up to
// the first other byte, 0 without digits; clamped to int.
int ReadIndex(const AnsiText& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

static_assert(JsonDocument::kMaxTextBytes <= ScriptEngine::kMemoryCap);

bool FitsInEngine(std::string_view text) { return text.size() <= JsonDocument::kMaxTextBytes; }

bool IsJsonWhitespaceOnly(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

JsonDocument::JsonDocument() : VariableName("da") { OpenEngine(); }

JsonDocument::JsonDocument(const JsonDocument& other)
    : VariableName(other.VariableName), Engine(other.Engine) {}

JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  if (this != &other) {
    VariableName = other.VariableName;
    Engine = other.Engine;
  }
  return *this;
}

JsonDocument::~JsonDocument() {
  Engine.reset();
  CoUninitialize();
}

void JsonDocument::OpenEngine() {
  CoInitialize();
  auto created = ScriptEngine::Create();
  const bool isNew = created != nullptr;
  if (isNew) Engine = std::move(created);  // a failed creation keeps what was held
  AddCode(Engine.get(), CompiledPrelude());
  EvalIgnored(Engine.get(), Join({"var ", VariableName, "={}"}));
  if (isNew) Engine->MarkPristine();
}

bool JsonDocument::Parse(std::string_view text) {
  if (Engine != nullptr) {
    if (Engine.use_count() == 1 && Engine->IsPristine()) {
      // Nothing has run in this instance since it was set up and no copy
      // holds it: a new one would be the same, so it is kept (making a heap
      // and loading the prelude is most of the cost of a Parse).
      CoInitialize();
    } else {
      Engine.reset();
      OpenEngine();
    }
  }
  if (Engine == nullptr) return false;
  EvalIgnored(Engine.get(), Join({"var ", VariableName, "=null"}));
  // The text is read as JSON and never run. Only the empty text keeps the
  // undefined value it always gave; any text that is not JSON leaves null.
  if (IsJsonWhitespaceOnly(text)) {
    EvalIgnored(Engine.get(), Join({"var ", VariableName, "=undefined"}));
  } else if (FitsInEngine(text)) {
    Engine->AssignJson(AnsiToU16(VariableName), AnsiToU16(text));
  }
  return EvalBoolean(Engine.get(), Join({"null !=", VariableName}));
}

AnsiText JsonDocument::ToJson() {
  return EvalText(Engine.get(), Join({"JSON.stringify(", VariableName, ")"}));
}

AnsiText JsonDocument::GetValue(std::string_view path, bool asJson) {
  if (!IsPath(path)) return {};
  const std::string_view separator = Separator(path);
  if (asJson) {
    return EvalText(Engine.get(), Join({"JSON.stringify(", VariableName, separator, path, ")"}));
  }
  if (Engine == nullptr) return {};
  if (GetValueType(path) == JsonValueType::Number) return NumberToText(GetMemberNumber(path));
  return EvalText(Engine.get(), Join({VariableName, separator, path}));
}

JsonValueType JsonDocument::GetValueType(std::string_view path) {
  if (!path.empty() && !IsPath(path)) return JsonValueType::Unknown;
  const AnsiText target = path.empty() ? VariableName : Join({VariableName, ".", path});
  if (EvalBoolean(Engine.get(), Join({target, "==null"}))) return JsonValueType::Null;
  const AnsiText type = EvalText(Engine.get(), Join({"typeof (", target, ")"}));
  if (type == "string") return JsonValueType::String;
  if (type == "number") return JsonValueType::Number;
  if (type == "boolean") return JsonValueType::Boolean;
  if (type == "object") {
    // The whole value is tested through its own JSON text, so that a root
    // array is typed Array too.
    const AnsiText json = path.empty() ? ToJson() : GetValue(path, true);
    return !json.empty() && json.front() == '[' ? JsonValueType::Array : JsonValueType::Object;
  }
  return JsonValueType::Unknown;
}

double JsonDocument::GetMemberNumber(std::string_view path) {
  if (!IsPath(path)) return 0;
  return EvalNumber(Engine.get(), Join({VariableName, ".", path}));
}

int JsonDocument::GetMemberNames(std::vector<AnsiText>& names, std::string_view path) {
  names.clear();
  if (!path.empty() && !IsPath(path)) return 0;
  const AnsiText target = path.empty() ? VariableName : Join({VariableName, Separator(path), path});
  AnsiText listed = EvalText(
      Engine.get(), Join({"var ary=''; for (var key in ", target, ") {ary=ary+ key+','; }"}));
  // The prelude's two inherited methods are no members of the value.
  listed = Replace(listed, "toJSONString,");
  listed = Replace(listed, "parseJSON,");
  EvalIgnored(Engine.get(), "ary=null");
  // Every piece before a comma is a name (an empty one too); what follows
  // the last comma only when it is not empty.
  std::size_t start = 0;
  for (std::size_t comma = listed.find(','); comma != AnsiText::npos;
       comma = listed.find(',', start)) {
    names.emplace_back(listed, start, comma - start);
    start = comma + 1;
  }
  if (start < listed.size()) names.emplace_back(listed, start);
  return static_cast<int>(names.size());
}

// --- Edits and queries ---

void JsonDocument::SetMember(std::string_view path, std::string_view value, bool isExpression) {
  if (!IsPath(path)) return;
  if (isExpression) {
    // The caller's own JavaScript, under the engine's deadline and cap.
    const std::string_view expression = value.empty() ? std::string_view{"{}"} : value;
    EvalIgnored(Engine.get(), Join({VariableName, ".", path, "= eval(", expression, ")"}));
    return;
  }
  if (!IsQuotable(value)) return;
  EvalIgnored(Engine.get(), Join({VariableName, ".", path, "='", value, "'"}));
}

void JsonDocument::SetMemberJson(std::string_view path, std::string_view text) {
  if (!IsPath(path) || Engine == nullptr) return;
  const AnsiText target = Join({VariableName, ".", path});
  // Like Parse: JSON text is read as JSON, and the empty text gives undefined.
  if (IsJsonWhitespaceOnly(text)) {
    EvalIgnored(Engine.get(), Join({target, "=undefined"}));
  } else if (FitsInEngine(text)) {
    Engine->AssignJson(AnsiToU16(target), AnsiToU16(text));
  }
}

void JsonDocument::SetMemberNumber(std::string_view path, double number) {
  if (!IsPath(path)) return;
  EvalIgnored(Engine.get(), Join({VariableName, ".", path, "=", NumberToExactText(number)}));
}

AnsiText JsonDocument::GetMemberJson(std::string_view path) {
  if (!IsPath(path)) return {};
  return EvalText(Engine.get(), Join({"JSON.stringify(", VariableName, ".", path, ")"}));
}

JsonDocument JsonDocument::GetSubDocument(std::string_view path) {
  JsonDocument fresh;
  const AnsiText json =
      IsPath(path)
          ? EvalText(Engine.get(),
                     Join({"JSON.stringify(", VariableName, Separator(path), path, ")"}))
          : AnsiText{};
  fresh.Parse(json);
  // The caller gets a further reference to the new instance and the new
  // document ends, as a copy and a destruction pair the library calls.
  JsonDocument result(fresh);
  return result;
}

int JsonDocument::GetMemberCount(std::string_view path) {
  if (!path.empty() && !IsPath(path)) return 0;
  const AnsiText target = path.empty() ? VariableName : Join({VariableName, Separator(path), path});
  const double count = EvalNumber(Engine.get(), Join({"get__count(", target, ")"}));
  // The counter starts at -2; nothing to count (null, undefined) is 0 members.
  if (!(count > 0)) return 0;
  return count >= INT_MAX ? INT_MAX : static_cast<int>(count);
}

void JsonDocument::AppendElement(std::string_view value, std::string_view path, bool raw) {
  if (!path.empty() && !IsPath(path)) return;
  if (!raw && !IsQuotable(value)) return;
  const AnsiText target = DottedTarget(VariableName, path);
  const std::string_view quote = Quote(raw);
  EvalIgnored(Engine.get(),
              Join({"if (Object.prototype.toString.call(", target, ") != '[object Array]') { ",
                    target, "=new Array();} ", target, ".push(", quote, value, quote, ")"}));
}

JsonDocument JsonDocument::GetElementDocument(int index, std::string_view path) {
  JsonDocument fresh;
  const AnsiText json =
      path.empty() || IsPath(path)
          ? EvalText(Engine.get(), Join({"JSON.stringify(", DottedTarget(VariableName, path), "[",
                                         IndexText(index), "])"}))
          : AnsiText{};
  fresh.Parse(json);
  JsonDocument result(fresh);
  return result;
}

AnsiText JsonDocument::GetElementValue(int index, std::string_view path, bool asJson) {
  if (!path.empty() && !IsPath(path)) return {};
  const AnsiText element = Join({DottedTarget(VariableName, path), "[", IndexText(index), "]"});
  if (asJson) return EvalText(Engine.get(), Join({"JSON.stringify(", element, ")"}));
  return EvalText(Engine.get(), element);
}

void JsonDocument::SetElement(int index, std::string_view value, bool raw) {
  if (!raw && !IsQuotable(value)) return;
  const std::string_view quote = Quote(raw);
  EvalIgnored(Engine.get(),
              Join({VariableName, "[", IndexText(index), "]=", quote, value, quote}));
}

void JsonDocument::RemoveElement(int index) {
  EvalIgnored(Engine.get(), Join({VariableName, ".splice(", IndexText(index), ",1)"}));
}

void JsonDocument::RemoveElementAt(std::string_view path) {
  // The element is named by the last index of the path, so that
  // "data[0].list[2]" removes list[2], not data[0]. For a path with one
  // index this is its only one.
  Position lastBracket = kNotFound;
  for (Position at = Search(path, "["); at != kNotFound; at = Search(path, "[", at + 1)) {
    lastBracket = at;
  }
  const AnsiText arrayPath = lastBracket == kNotFound ? AnsiText{} : FirstBytes(path, lastBracket - 1);
  const AnsiText indexText =
      lastBracket == kNotFound ? AnsiText{} : TextBetween(path, "[", "]", lastBracket);
  JsonDocument scratch;
  scratch.Parse(GetValue(arrayPath, true));
  scratch.RemoveElement(ReadIndex(indexText));
  SetMemberJson(arrayPath, scratch.ToJson());
}

void JsonDocument::Reset(JsonValueType kind) {
  switch (kind) {
    case JsonValueType::Null:
    case JsonValueType::Object:
      EvalIgnored(Engine.get(), Join({"var ", VariableName, "={}"}));
      break;
    case JsonValueType::Array:
      EvalIgnored(Engine.get(), Join({"var ", VariableName, "=new Array()"}));
      break;
    default:
      break;
  }
}

void JsonDocument::SetRootValue(std::string_view value, bool raw) {
  if (!raw && !IsQuotable(value)) return;
  const std::string_view quote = Quote(raw);
  EvalBoolean(Engine.get(), Join({VariableName, "=", quote, value, quote}));
}

bool JsonDocument::HasMember(std::string_view path) {
  if (!IsPath(path)) return false;
  return EvalBoolean(Engine.get(), Join({VariableName, ".", path, " !=null"}));
}

void JsonDocument::Clear() { EvalIgnored(Engine.get(), Join({VariableName, "={}"})); }

}  // namespace vexaro
