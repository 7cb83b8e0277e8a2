vexaro_add_fuzzer(regex SOURCES regex_fuzz.cpp LIBS vexaro::regex vexaro::text)
