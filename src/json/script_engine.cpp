#include "json/script_engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "duktape.h"
#include "json/cesu8.h"
#include "json/number_text.h"

namespace vexaro {

using Clock = std::chrono::steady_clock;

// The heap and what its allocator and timeout check read through the heap's
// udata pointer. Only plain data: Duktape's callbacks see it from C.
struct ScriptEngine::Heap {
  duk_context* context = nullptr;
  std::size_t bytesInUse = 0;
  std::size_t memoryCap = kMemoryCap;
  bool deadlineArmed = false;
  Clock::time_point deadline{};

  Heap() = default;
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;
  ~Heap() {
    if (context == nullptr) return;
    // Destruction may run finalizers that scripts installed; they get a
    // deadline too.
    Arm();
    duk_destroy_heap(context);
  }

  void Arm() {
    deadline = Clock::now() + kEvaluationDeadline;
    deadlineArmed = true;
  }
  void Disarm() { deadlineArmed = false; }
};

}  // namespace vexaro

// Duktape's execution timeout hook (see the derived duk_config.h). Once it
// says yes it keeps saying yes until the call returns, so the RangeError it
// causes cannot be caught inside the script and ignored.
extern "C" int vexaro_duktape_deadline_passed(void* heapUdata) {
  const auto* heap = static_cast<const vexaro::ScriptEngine::Heap*>(heapUdata);
  return heap != nullptr && heap->deadlineArmed && vexaro::Clock::now() >= heap->deadline;
}

namespace vexaro {

namespace {

using Heap = ScriptEngine::Heap;

// Each block carries its size in front so that the cap can be kept exactly.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

std::size_t& BlockSize(void* base) { return *static_cast<std::size_t*>(base); }
void* BaseOf(void* user) { return static_cast<char*>(user) - kBlockHeader; }
void* UserOf(void* base) { return static_cast<char*>(base) + kBlockHeader; }

void* CappedAlloc(void* udata, duk_size_t size) noexcept {
  auto* heap = static_cast<Heap*>(udata);
  if (size == 0) return nullptr;
  if (size > heap->memoryCap - heap->bytesInUse) return nullptr;
  void* base = std::malloc(size + kBlockHeader);
  if (base == nullptr) return nullptr;
  BlockSize(base) = size;
  heap->bytesInUse += size;
  return UserOf(base);
}

void CappedFree(void* udata, void* user) noexcept {
  if (user == nullptr) return;
  auto* heap = static_cast<Heap*>(udata);
  void* base = BaseOf(user);
  heap->bytesInUse -= BlockSize(base);
  std::free(base);
}

void* CappedRealloc(void* udata, void* user, duk_size_t size) noexcept {
  if (user == nullptr) return CappedAlloc(udata, size);
  if (size == 0) {
    CappedFree(udata, user);
    return nullptr;
  }
  auto* heap = static_cast<Heap*>(udata);
  void* base = BaseOf(user);
  const std::size_t oldSize = BlockSize(base);
  if (size > oldSize && size - oldSize > heap->memoryCap - heap->bytesInUse) return nullptr;
  void* moved = std::realloc(base, size + kBlockHeader);
  if (moved == nullptr) return nullptr;  // the old block stays valid
  BlockSize(moved) = size;
  heap->bytesInUse = heap->bytesInUse - oldSize + size;
  return UserOf(moved);
}

// Reached only when an error escapes every protected call, which the calls
// below never allow; Duktape requires that this never returns.
[[noreturn]] void FatalEngineError(void*, const char* message) noexcept {
  std::fprintf(stderr, "vexaro: JavaScript engine fatal error: %s\n",
               message != nullptr ? message : "");
  std::abort();
}

enum class ResultKind { Ignored, Text, Number, Boolean };

// What one protected call takes and gives. Plain data only: Duktape unwinds
// its errors with longjmp, which must not cross anything with a destructor.
struct CallFrame {
  const char* source = nullptr;
  std::size_t sourceLength = 0;
  duk_uint_t compileFlags = 0;
  ResultKind kind = ResultKind::Ignored;
  // Outputs
  bool resultIsString = false;
  bool resultIsNumber = false;
  double number = 0;
  bool boolean = false;
};

duk_ret_t CompileAndCall(duk_context* ctx, void* udata) {
  auto* frame = static_cast<CallFrame*>(udata);
  duk_push_lstring(ctx, frame->source, frame->sourceLength);
  duk_push_string(ctx, "script");
  duk_compile(ctx, frame->compileFlags);
  duk_call(ctx, 0);
  switch (frame->kind) {
    case ResultKind::Ignored:
      break;
    case ResultKind::Text:
      if (duk_is_null_or_undefined(ctx, -1)) {
        // empty text: no string on the stack
      } else if (duk_is_number(ctx, -1)) {
        frame->resultIsNumber = true;
        frame->number = duk_get_number(ctx, -1);
      } else {
        duk_to_string(ctx, -1);  // may run a toString; still inside the call
        frame->resultIsString = true;
      }
      break;
    case ResultKind::Number:
      if (duk_is_number(ctx, -1)) {
        frame->resultIsNumber = true;
        frame->number = duk_get_number(ctx, -1);
      }
      break;
    case ResultKind::Boolean:
      if (duk_is_boolean(ctx, -1)) frame->boolean = duk_get_boolean(ctx, -1) != 0;
      break;
  }
  return 1;
}

struct AssignFrame {
  const char* assigner = nullptr;  // "(function(v){TARGET=v})"
  std::size_t assignerLength = 0;
  const char* json = nullptr;
  std::size_t jsonLength = 0;
};

duk_ret_t DecodeAndAssign(duk_context* ctx, void* udata) {
  const auto* frame = static_cast<const AssignFrame*>(udata);
  duk_push_lstring(ctx, frame->assigner, frame->assignerLength);
  duk_push_string(ctx, "assign");
  duk_compile(ctx, DUK_COMPILE_EVAL);
  duk_call(ctx, 0);  // -> the assigning function
  duk_push_lstring(ctx, frame->json, frame->jsonLength);
  duk_json_decode(ctx, -1);
  duk_call(ctx, 1);
  return 0;
}

struct LoadFrame {
  const std::string* bytecode = nullptr;
};

duk_ret_t LoadAndCall(duk_context* ctx, void* udata) {
  const auto* frame = static_cast<const LoadFrame*>(udata);
  void* buffer = duk_push_fixed_buffer(ctx, frame->bytecode->size());
  std::memcpy(buffer, frame->bytecode->data(), frame->bytecode->size());
  duk_load_function(ctx);
  duk_call(ctx, 0);
  return 1;
}

struct DumpFrame {
  const char* source = nullptr;
  std::size_t sourceLength = 0;
};

duk_ret_t CompileAndDump(duk_context* ctx, void* udata) {
  const auto* frame = static_cast<const DumpFrame*>(udata);
  duk_push_lstring(ctx, frame->source, frame->sourceLength);
  duk_push_string(ctx, "prelude");
  duk_compile(ctx, 0);
  duk_dump_function(ctx);
  return 1;
}

std::u16string TopStringAsU16(duk_context* ctx) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, -1, &length);
  if (bytes == nullptr) return {};
  return Cesu8ToU16(std::string_view(bytes, length));
}

// Runs one protected call with the deadline armed; the frame holds the
// result. Leaves nothing on the value stack.
template <typename Frame>
bool ProtectedCall(Heap& heap, duk_safe_call_function function, Frame& frame, duk_idx_t nrets,
                   std::u16string* text = nullptr) {
  heap.Arm();
  const bool ok = duk_safe_call(heap.context, function, &frame, 0, nrets) == DUK_EXEC_SUCCESS;
  heap.Disarm();
  if constexpr (std::is_same_v<Frame, CallFrame>) {
    if (ok && text != nullptr && frame.resultIsString) *text = TopStringAsU16(heap.context);
  }
  duk_pop_n(heap.context, nrets);
  return ok;
}

}  // namespace

std::shared_ptr<ScriptEngine> ScriptEngine::Create() {
  auto heap = std::make_unique<Heap>();
  heap->context =
      duk_create_heap(CappedAlloc, CappedRealloc, CappedFree, heap.get(), FatalEngineError);
  if (heap->context == nullptr) return nullptr;
  return std::shared_ptr<ScriptEngine>(new ScriptEngine(std::move(heap)));
}

ScriptEngine::ScriptEngine(std::unique_ptr<Heap> heap) : heap_(std::move(heap)) {}

ScriptEngine::~ScriptEngine() = default;

namespace {

CallFrame MakeFrame(const std::string& source, duk_uint_t flags, ResultKind kind) {
  CallFrame frame;
  frame.source = source.data();
  frame.sourceLength = source.size();
  frame.compileFlags = flags;
  frame.kind = kind;
  return frame;
}

}  // namespace

bool ScriptEngine::AddCode(std::u16string_view program) {
  pristine_ = false;
  const std::string source = U16ToCesu8(program);
  CallFrame frame = MakeFrame(source, 0, ResultKind::Ignored);
  return ProtectedCall(*heap_, CompileAndCall, frame, 1);
}

bool ScriptEngine::AddCode(const CompiledProgram& program) {
  pristine_ = false;
  if (program.IsEmpty()) return false;
  LoadFrame frame;
  frame.bytecode = &program.bytecode_;
  return ProtectedCall(*heap_, LoadAndCall, frame, 1);
}

CompiledProgram CompiledProgram::Compile(std::u16string_view program) {
  CompiledProgram compiled;
  const auto engine = ScriptEngine::Create();
  if (engine == nullptr) return compiled;
  duk_context* ctx = engine->heap_->context;
  const std::string source = U16ToCesu8(program);
  DumpFrame frame;
  frame.source = source.data();
  frame.sourceLength = source.size();
  if (duk_safe_call(ctx, CompileAndDump, &frame, 0, 1) == DUK_EXEC_SUCCESS) {
    duk_size_t size = 0;
    const void* bytes = duk_get_buffer(ctx, -1, &size);
    if (bytes != nullptr) compiled.bytecode_.assign(static_cast<const char*>(bytes), size);
  }
  duk_pop(ctx);
  return compiled;
}

bool ScriptEngine::Run(std::u16string_view script) {
  pristine_ = false;
  const std::string source = U16ToCesu8(script);
  CallFrame frame = MakeFrame(source, DUK_COMPILE_EVAL, ResultKind::Ignored);
  return ProtectedCall(*heap_, CompileAndCall, frame, 1);
}

std::u16string ScriptEngine::EvalText(std::u16string_view script) {
  pristine_ = false;
  const std::string source = U16ToCesu8(script);
  CallFrame frame = MakeFrame(source, DUK_COMPILE_EVAL, ResultKind::Text);
  std::u16string text;
  if (!ProtectedCall(*heap_, CompileAndCall, frame, 1, &text)) return {};
  if (frame.resultIsNumber) {
    const std::string number = NumberToText(frame.number);
    return std::u16string(number.begin(), number.end());
  }
  return text;
}

double ScriptEngine::EvalNumber(std::u16string_view script) {
  pristine_ = false;
  const std::string source = U16ToCesu8(script);
  CallFrame frame = MakeFrame(source, DUK_COMPILE_EVAL, ResultKind::Number);
  if (!ProtectedCall(*heap_, CompileAndCall, frame, 1)) return 0;
  return frame.resultIsNumber ? frame.number : 0;
}

bool ScriptEngine::EvalBoolean(std::u16string_view script) {
  pristine_ = false;
  const std::string source = U16ToCesu8(script);
  CallFrame frame = MakeFrame(source, DUK_COMPILE_EVAL, ResultKind::Boolean);
  return ProtectedCall(*heap_, CompileAndCall, frame, 1) && frame.boolean;
}

bool ScriptEngine::AssignJson(std::u16string_view target, std::u16string_view json) {
  pristine_ = false;
  std::u16string assigner = u"(function(json$value){";
  assigner.append(target);
  assigner.append(u"=json$value})");
  const std::string assignerCesu8 = U16ToCesu8(assigner);
  const std::string source = U16ToCesu8(json);
  // A text larger than the whole cap can never fit; refuse it before copying
  // it into the heap.
  if (source.size() > heap_->memoryCap) return false;
  AssignFrame frame;
  frame.assigner = assignerCesu8.data();
  frame.assignerLength = assignerCesu8.size();
  frame.json = source.data();
  frame.jsonLength = source.size();
  return ProtectedCall(*heap_, DecodeAndAssign, frame, 0);
}

std::size_t ScriptEngine::MemoryInUse() const { return heap_->bytesInUse; }

}  // namespace vexaro
