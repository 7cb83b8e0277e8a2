// JsonDocument holds one JSON value in a JavaScript engine instance of its
// own and reads and edits it by path.
//
// The value lives in the engine's global variable named by VariableName
// ("da"). Each operation builds a short script, runs it in the engine and
// converts the result: a failure gives the empty result of its kind (empty
// text, 0, false, no names, or no change) and never raises. Copies share the
// engine instance, and so the value, until one of them calls Parse, which
// gives that one a fresh instance.
//
// Text from outside never runs as code: Parse reads JSON as JSON, a path is
// pasted into a script only when it follows the path rule (identifiers joined
// by ".", indices in brackets), and a value pasted between quotes only when it
// stays one string literal there. Each evaluation has a deadline and each
// engine a memory cap. Operations documented as taking an expression run the
// caller's JavaScript, under the same deadline and cap.
//
// A document and its copies are used on one thread.
#pragma once

#include <cstddef>

#include <memory>
#include <string_view>
#include <vector>

#include "text/ansi_text.h"

namespace vexaro {

class ScriptEngine;

enum class JsonValueType {
  Unknown = -1,  // a function, or the evaluation failed
  Null = 0,      // null or undefined, a missing member too
  Boolean = 1,
  Number = 2,
  Object = 4,
  Array = 5,
  String = 6,
};

class JsonDocument {
 public:
  // The longest text Parse reads. Each byte of it takes at least one byte in
  // the engine, whose memory is capped, so a longer text is refused unread.
  static constexpr std::size_t kMaxTextBytes = std::size_t{32} << 20;

  // A document holding an empty object, in an engine instance of its own.
  JsonDocument();
  // A further reference to `other`'s engine instance.
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);
  ~JsonDocument();

  // Starts a new engine instance: the prelude loaded, the value an empty object.
  void OpenEngine();

  // Replaces the value by the value of the JSON text, in a fresh engine
  // instance. True when the new value is neither null nor undefined; the
  // empty text gives undefined, a text that is not JSON null.
  bool Parse(std::string_view text);

  // The whole value as compact JSON.
  AnsiText ToJson();

  // The value at `path` as text (numbers by the "%.13g" rule, null and
  // missing members empty), or its JSON text with `asJson`.
  AnsiText GetValue(std::string_view path, bool asJson = false);

  JsonValueType GetValueType(std::string_view path = {});
  double GetMemberNumber(std::string_view path);

  // Replaces `names` by the member names of the value at `path` (the whole
  // value for an empty path) in the engine's order; returns their number.
  int GetMemberNames(std::vector<AnsiText>& names, std::string_view path = {});

  // --- Edits and queries ---

  // Sets the member to the string `value`, or with `isExpression` to the
  // value of the JavaScript expression `value` (empty: {}).
  void SetMember(std::string_view path, std::string_view value, bool isExpression = false);
  // Sets the member to the value of the JSON text (empty: undefined).
  void SetMemberJson(std::string_view path, std::string_view text);
  // Sets the member to the number, written exactly (not rounded to 13 digits).
  void SetMemberNumber(std::string_view path, double number);
  AnsiText GetMemberJson(std::string_view path);
  // A deep copy of the value at `path`, in a document of its own.
  JsonDocument GetSubDocument(std::string_view path);
  // Own members of an object, elements of an array; 0 when it fails or the
  // value is null or undefined.
  int GetMemberCount(std::string_view path = {});
  // Turns the target into an array unless it is one, then pushes the string
  // `value`, or with `raw` the value of the JavaScript expression `value`.
  void AppendElement(std::string_view value, std::string_view path = {}, bool raw = false);
  JsonDocument GetElementDocument(int index, std::string_view path = {});
  AnsiText GetElementValue(int index, std::string_view path = {}, bool asJson = false);
  // Sets element `index` of the whole value (the string `value`, or with
  // `raw` the expression's value).
  void SetElement(int index, std::string_view value, bool raw = false);
  // Removes element `index` when the whole value is an array.
  void RemoveElement(int index);
  // Removes the element a path such as "list[2]" names.
  void RemoveElementAt(std::string_view path);
  // Null and Object: an empty object; Array: an empty array; others: nothing.
  void Reset(JsonValueType kind);
  void SetRootValue(std::string_view value, bool raw = false);
  bool HasMember(std::string_view path);
  // Makes the value an empty object.
  void Clear();

  // For tests and diagnostics.
  const AnsiText& GetVariableName() const { return VariableName; }
  bool HasEngine() const { return Engine != nullptr; }
  bool SharesEngineWith(const JsonDocument& other) const {
    return Engine != nullptr && Engine == other.Engine;
  }

 private:
  AnsiText VariableName;
  std::shared_ptr<ScriptEngine> Engine;
};

}  // namespace vexaro
