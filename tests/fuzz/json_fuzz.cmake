vexaro_add_fuzzer(json SOURCES json_fuzz.cpp LIBS vexaro::json vexaro::text)
