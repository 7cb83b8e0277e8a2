# Vexaro: `make run` and `make test` work on a fresh Debian 12 machine.
BUILD        ?= build
JOBS         ?= $(shell nproc)
CMAKE_ARGS   ?=
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 300
ASAN_BUILD   ?= build-asan
TSAN_BUILD   ?= build-tsan

.PHONY: all deps configure build run test unit-tests bench fuzz-build fuzz fuzz-smoke \
        sanitize sanitize-address sanitize-thread clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-local $(BUILD)

# Every test of every module, then each fuzzer for 20 seconds.
test: unit-tests fuzz-smoke

unit-tests: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	scripts/run-bench $(BUILD)

# libFuzzer targets need clang; they live in a tree of their own.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	      -DVEXARO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	scripts/run-fuzz $(FUZZ_BUILD) 20

# Every test under AddressSanitizer with UndefinedBehaviorSanitizer, then
# under ThreadSanitizer, each in a build tree of its own.
sanitize: sanitize-address sanitize-thread

sanitize-address: deps
	cmake -S . -B $(ASAN_BUILD) -DVEXARO_SANITIZE=address -DVEXARO_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=$(shell cat scripts/asan-options) \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

sanitize-thread: deps
	cmake -S . -B $(TSAN_BUILD) -DVEXARO_SANITIZE=thread -DVEXARO_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
