# Quick start:   make run     build and open the default demo (make run DEMO=<name> for another)
#                make new NAME=<name>   start a program of your own in programs/<name>
#                make test    build and run the whole test suite, headless
# Other targets: make gallery (pictures of every demo in docs/gallery and of the tutorial's steps
#                in docs/tutorial), make bench, make bench-grade (easel-grade on a class of 100),
#                make fuzz (FUZZ_SECONDS per target), make clean.
# SANITIZE=1 builds and tests with AddressSanitizer and UndefinedBehaviorSanitizer.
# `make run` needs only the packages for building and running; `make test` installs the test
# packages and turns the tests on in the same build directory, so nothing built is built again.

DEMO ?= orbit_sketch
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export DEMO NAME
# cmake --build runs make again: one level of directory messages is enough.
MAKEFLAGS += --no-print-directory

ifeq ($(SANITIZE),1)
BUILD ?= build-sanitize
CMAKE_FLAGS += -DEASEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
endif

RUN_PACKAGES  = cmake make g++ pkg-config libsdl1.2-compat-dev libpng-dev
GRADE_PACKAGES = python3 bubblewrap parallel
TEST_PACKAGES = $(RUN_PACKAGES) $(GRADE_PACKAGES) libgtest-dev libbenchmark-dev xvfb xdotool x11-utils x11-apps \
                x11-xserver-utils xauth imagemagick libx11-dev

FUZZ_PACKAGES = $(RUN_PACKAGES) clang libclang-rt-14-dev

.PHONY: run new test gallery bench bench-grade fuzz build configure deps-run deps-test clean

run: deps-run configure
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) sh tools/run-demo.sh $(BUILD) "$$DEMO"

new:
	@sh tools/new-program.sh "$$NAME"

test: CMAKE_FLAGS += -DEASEL_BUILD_TESTS=ON
test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

gallery: deps-run build
	@sh tools/gallery.sh $(BUILD)
	@sh tools/tutorial.sh $(BUILD) snap

bench: deps-test
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DEASEL_BUILD_BENCH=ON
	cmake --build build-bench -j$(JOBS) --target easel_bench
	SDL_VIDEODRIVER=dummy build-bench/bin/easel_bench

bench-grade: deps-test build
	sh bench/grade_bench.sh $(BUILD)

fuzz:
	@sh tools/install-packages.sh $(FUZZ_PACKAGES)
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEASEL_SANITIZE=ON \
	  -DEASEL_BUILD_FUZZ=ON -DEASEL_BUILD_TESTS=OFF -DEASEL_BUILD_PROGRAMS=OFF
	cmake --build build-fuzz -j$(JOBS) --target canvas_fuzz
	mkdir -p build-fuzz/corpus
	SDL_VIDEODRIVER=dummy build-fuzz/bin/canvas_fuzz -max_total_time=$(FUZZ_SECONDS) build-fuzz/corpus

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

deps-run:
	@sh tools/install-packages.sh $(RUN_PACKAGES)

deps-test:
	@sh tools/install-packages.sh $(TEST_PACKAGES)

clean:
	rm -rf build build-sanitize build-bench build-fuzz
