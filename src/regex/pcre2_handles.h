// Owning holders for the PCRE2 (16-bit) objects the regex module creates.
// Internal to src/regex: the public header does not expose PCRE2.
#pragma once

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 16
#endif
#include <pcre2.h>

#include <memory>

namespace vexaro::regex_engine {

struct CodeDeleter {
  void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context* context) const noexcept {
    pcre2_compile_context_free(context);
  }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* context) const noexcept {
    pcre2_match_context_free(context);
  }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const noexcept { pcre2_match_data_free(data); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack* stack) const noexcept { pcre2_jit_stack_free(stack); }
};

using CodeHandle = std::unique_ptr<pcre2_code, CodeDeleter>;
using CompileContextHandle = std::unique_ptr<pcre2_compile_context, CompileContextDeleter>;
using MatchContextHandle = std::unique_ptr<pcre2_match_context, MatchContextDeleter>;
using MatchDataHandle = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;
using JitStackHandle = std::unique_ptr<pcre2_jit_stack, JitStackDeleter>;

}  // namespace vexaro::regex_engine
