# The commands of a new user: `make run` and `make test`. Each installs what the project needs
# (scripts/setup.sh, through sudo when not root), configures and builds. `make package` does the
# same and then builds the Debian package build/vornix_VERSION_amd64.deb. `make fuzz` runs every
# fuzz target for FUZZ_SECONDS each; `make soak` runs a simulated day (SOAK_TICKS ticks of 50 ms).

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
SOAK_TICKS   ?= 1728000

.PHONY: run test setup build build-asan build-tsan build-fuzz fuzz soak package clean

setup:
	bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	bash scripts/run.sh $(BUILD) $(MODE)

package: build
	cmake --build $(BUILD) --target package

build-asan: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORNIX_SANITIZE=ON -DVORNIX_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# ThreadSanitizer (clang): the tests of the capture thread, and the program on real sources.
build-tsan: setup
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVORNIX_TSAN=ON -DVORNIX_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target unit_tests vornix

# libFuzzer (clang) with AddressSanitizer and UndefinedBehaviorSanitizer: only the fuzz targets.
build-fuzz: setup
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVORNIX_FUZZ=ON -DVORNIX_BUILD_TESTS=OFF -DVORNIX_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: build-fuzz
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

soak: build
	$(BUILD)/tests/vornix_soak --ticks $(SOAK_TICKS)

# Every test of the release build (unit, end to end, a simulated ten minutes), the unit tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded ones under
# ThreadSanitizer, and each fuzz target for 15 s on its corpus.
test: build build-asan build-tsan build-fuzz
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)
	bash scripts/fuzz.sh $(FUZZ_BUILD) 15

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
