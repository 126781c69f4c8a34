# Entry points for a fresh Debian machine. Each target installs the system
# packages it needs first (scripts/install-deps.sh).
BUILD ?= build
JOBS ?= 2

.PHONY: deps build test test-sanitize check clean

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The normal build's test suite.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=Debug -DVOREL_SANITIZE=ON -DVOREL_BENCH=OFF
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	ctest --test-dir $(BUILD)-sanitize --output-on-failure -j $(JOBS)

# The whole suite, as CI runs it.
check: test test-sanitize

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize
