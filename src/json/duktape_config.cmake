# vexaro_derive_duktape_config(SOURCE_DIR OUTPUT_DIR) copies duktape.c and
# duktape.h from SOURCE_DIR and writes a duk_config.h next to them that is the
# installed one with the interrupt counter and the execution timeout check
# switched on. The copies sit side by side so that duktape.c's quoted includes
# find the derived configuration, never the installed one.
#
# The timeout is checked every so many bytecode instructions. Duktape's
# interval (256K) lets a loop whose every step calls a slow built-in (a join
# over a large array, say) run for seconds past the deadline; the copy of
# duktape.c checks sixteen times as often, which costs nothing measurable.
function(vexaro_derive_duktape_config source_dir output_dir)
  file(READ ${source_dir}/duk_config.h config)
  set(undef_counter "#undef DUK_USE_INTERRUPT_COUNTER\n")
  set(undef_timeout "#undef DUK_USE_EXEC_TIMEOUT_CHECK\n")
  foreach(needed undef_counter undef_timeout)
    string(FIND "${config}" "${${needed}}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${source_dir}/duk_config.h has no '${${needed}}' to switch on")
    endif()
  endforeach()
  string(REPLACE "${undef_counter}" "#define DUK_USE_INTERRUPT_COUNTER\n" config "${config}")
  string(REPLACE "${undef_timeout}"
    "/* Vexaro: every evaluation runs against a deadline kept in the heap's udata. */
#if defined(__cplusplus)
extern \"C\" {
#endif
int vexaro_duktape_deadline_passed(void *heap_udata);
#if defined(__cplusplus)
}
#endif
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) vexaro_duktape_deadline_passed((udata))
" config "${config}")
  file(MAKE_DIRECTORY ${output_dir})
  # Copied only when changed, so a reconfigure does not rebuild the engine.
  file(WRITE ${output_dir}/duk_config.h.derived "${config}")
  configure_file(${output_dir}/duk_config.h.derived ${output_dir}/duk_config.h COPYONLY)
  configure_file(${source_dir}/duktape.h ${output_dir}/duktape.h COPYONLY)
  file(READ ${source_dir}/duktape.c engine)
  set(interval "#define DUK_HTHREAD_INTCTR_DEFAULT (256L * 1024L)\n")
  string(FIND "${engine}" "${interval}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${source_dir}/duktape.c has no '${interval}' to shorten")
  endif()
  string(REPLACE "${interval}" "#define DUK_HTHREAD_INTCTR_DEFAULT (16L * 1024L)\n" engine "${engine}")
  file(WRITE ${output_dir}/duktape.c.derived "${engine}")
  configure_file(${output_dir}/duktape.c.derived ${output_dir}/duktape.c COPYONLY)
endfunction()
