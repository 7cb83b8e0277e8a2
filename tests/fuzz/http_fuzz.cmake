vexaro_add_fuzzer(http SOURCES http_fuzz.cpp LIBS vexaro::http vexaro::regex vexaro::text)
