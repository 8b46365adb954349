# The two commands of a new user: `make run` and `make test`. Both install what the project
# needs (scripts/setup.sh, through sudo when not root), configure and build. `make package`
# does the same and then builds the Debian package build/vornix_VERSION_amd64.deb.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: run test setup build build-asan package clean

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

# Every test of the release build (unit and end to end), then the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
