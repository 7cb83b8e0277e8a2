// One JavaScript engine instance: a Duktape heap of its own, capped in memory,
// whose every evaluation runs against a deadline. It offers the calls a
// document makes of its engine - run a program ("AddCode"), evaluate a text
// with the result ignored, as text, as number or as boolean - and reads a JSON
// text into a global variable without running it. Texts cross as UTF-16.
//
// Every call is a protected call: a syntax error, a thrown error, the deadline
// or the memory cap ends that call with the empty result of its kind, and the
// instance stays usable. An instance belongs to one thread at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vexaro {

// A program compiled once and run in many engine instances: each instance
// loads it instead of compiling its text again. Made only from our own
// program texts, never from anything received.
class CompiledProgram {
 public:
  // Compiles `program` (global code); empty when it does not compile.
  static CompiledProgram Compile(std::u16string_view program);
  bool IsEmpty() const { return bytecode_.empty(); }

 private:
  friend class ScriptEngine;
  std::string bytecode_;
};

class ScriptEngine {
 public:
  // How long one call may run, and how much memory one instance may hold.
  static constexpr std::chrono::milliseconds kEvaluationDeadline{1000};
  static constexpr std::size_t kMemoryCap = std::size_t{32} << 20;

  // A new instance, or null when the heap cannot be made.
  static std::shared_ptr<ScriptEngine> Create();

  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Runs `program` as global code; its functions and variables stay.
  bool AddCode(std::u16string_view program);
  // Runs a compiled program as AddCode runs its text.
  bool AddCode(const CompiledProgram& program);
  // Evaluates `script` as eval code in the global scope, result ignored.
  bool Run(std::u16string_view script);
  // Completion value as text: a string unchanged, undefined or null empty,
  // a number by NumberToText, anything else as JavaScript's String() gives it.
  std::u16string EvalText(std::u16string_view script);
  // Completion value as a number; 0 when it is no number.
  double EvalNumber(std::u16string_view script);
  // Completion value as a boolean; false when it is no boolean.
  bool EvalBoolean(std::u16string_view script);

  // Assigns the value of the JSON text `json`, read as JSON and never run, to
  // `target` (an assignable expression of our own making, such as "da" or
  // "da.list"). On failure the target is left as it was.
  bool AssignJson(std::u16string_view target, std::u16string_view json);

  // True while nothing has run in the instance since MarkPristine: it is then
  // indistinguishable from a new instance set up the same way.
  bool IsPristine() const { return pristine_; }
  void MarkPristine() { pristine_ = true; }

  // Bytes the instance holds now.
  std::size_t MemoryInUse() const;

  struct Heap;  // the Duktape heap with its budget; defined in the .cpp

 private:
  friend class CompiledProgram;
  explicit ScriptEngine(std::unique_ptr<Heap> heap);
  std::unique_ptr<Heap> heap_;
  bool pristine_ = false;
};

}  // namespace vexaro
