#include "json/json_document.h"

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
  if (auto created = ScriptEngine::Create()) Engine = std::move(created);
  AddCode(Engine.get(), CompiledPrelude());
  EvalIgnored(Engine.get(), Join({"var ", VariableName, "={}"}));
}

bool JsonDocument::Parse(std::string_view text) {
  if (Engine != nullptr) {
    Engine.reset();
    OpenEngine();
  }
  if (Engine == nullptr) return false;
  EvalIgnored(Engine.get(), Join({"var ", VariableName, "=null"}));
  // The text is read as JSON and never run. Only the empty text keeps the
  // undefined value it always gave; any text that is not JSON leaves null.
  if (IsJsonWhitespaceOnly(text)) {
    EvalIgnored(Engine.get(), Join({"var ", VariableName, "=undefined"}));
  } else {
    Engine->ParseJsonInto(VariableName, AnsiToU16(text));
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

}  // namespace vexaro
