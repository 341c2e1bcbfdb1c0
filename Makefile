# Convenience front end; the real build is CMake in build/ (Release) and
# build-asan/ (tests under AddressSanitizer and UBSan).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja


.PHONY: all deps run build test test-release test-asan bench bench-e2e bench-memory fuzz install package format clean

FUZZ_TIME ?= 600
# make install PREFIX=/usr DESTDIR=/tmp/stage
PREFIX  ?= /usr/local
DESTDIR ?=

all: build

# Package groups of scripts/deps.sh: build (the default), gui, bench, fuzz, package.
DEPS ?= build

deps:
	@scripts/deps.sh $(DEPS)

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	      -DVELLOMIR_SANITIZE=ON -DVELLOMIR_BENCH=OFF

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/vellomir

test: test-release test-asan

test-release: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)

bench: build

bench-e2e: build
	@scripts/deps.sh bench # vipsthumbnail, heif-enc and /usr/bin/time; also: make deps DEPS=bench
	bench/e2e.sh $(BUILD)

bench-memory: build
	@scripts/deps.sh bench # /usr/bin/time
	bench/memory.sh $(BUILD)

fuzz:
	@scripts/deps.sh build fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DVELLOMIR_FUZZ=ON -DVELLOMIR_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_exif fuzz_project fuzz_heif fuzz_colour
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus-project $(FUZZ_BUILD)/corpus-heif \
	    $(FUZZ_BUILD)/corpus-colour
	$(FUZZ_BUILD)/tests/fuzz_exif -max_total_time=$(FUZZ_TIME) -rss_limit_mb=2048 \
	    $(FUZZ_BUILD)/corpus tests/fuzz/exif
	$(FUZZ_BUILD)/tests/fuzz_project -max_total_time=$(FUZZ_TIME) -rss_limit_mb=2048 \
	    $(FUZZ_BUILD)/corpus-project tests/fuzz/project
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    $(FUZZ_BUILD)/tests/fuzz_heif -max_total_time=$(FUZZ_TIME) -rss_limit_mb=2048 \
	    $(FUZZ_BUILD)/corpus-heif tests/fuzz/heif
	$(FUZZ_BUILD)/tests/fuzz_colour -max_total_time=$(FUZZ_TIME) -rss_limit_mb=2048 \
	    $(FUZZ_BUILD)/corpus-colour tests/fuzz/colour

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# build/vellomir_<version>_<arch>.deb; dpkg-shlibdeps (dpkg-dev) finds its dependencies.
package: build
	@scripts/deps.sh package
	cd $(BUILD) && cpack --config CPackConfig.cmake

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
