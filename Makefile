# Everything a fresh Debian 12 machine needs: `make run` starts the program, `make test` builds and
# runs every test. Both install their packages first (with sudo when not root).

BUILD_DIR ?= build
TEST_BUILD_DIR ?= build-test
JOBS ?= $(shell nproc)

.PHONY: all build run test unit bench format clean

all: build

# The program only: `vantile` and `vantile-gui`, no test or benchmark.
build:
	scripts/install-deps.sh build
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vantile vantile-gui

run:
	scripts/install-deps.sh run
	$(MAKE) --no-print-directory build
	scripts/run.sh $(BUILD_DIR)

# Tests run in a debug build with AddressSanitizer and UndefinedBehaviorSanitizer.
test:
	scripts/install-deps.sh test
	cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTILE_SANITIZE=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	scripts/run-tests.sh $(TEST_BUILD_DIR)

# The unit tests alone (ctest label `unit`): no X server, seconds. Labels: unit, ui, integration.
unit:
	scripts/install-deps.sh build
	cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTILE_SANITIZE=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS) --target vantile_unit_tests
	cd $(TEST_BUILD_DIR) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/data/lsan.supp:print_suppressions=0 \
	  ctest -L unit -j $(JOBS) --output-on-failure

bench:
	scripts/install-deps.sh test
	$(MAKE) --no-print-directory build
	cmake --build $(BUILD_DIR) -j $(JOBS)
	scripts/run-benchmarks.sh $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR)
