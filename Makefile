# Quick start:   make run     build and open the default demo (make run DEMO=<name> for another;
#                             make run SCALE=2 opens the window twice as large, pixels kept sharp)
#                make new NAME=<name>   start a program of your own in programs/<name>
#                make test    build and run the whole test suite, headless
#                make grade   build easel-grade and what it needs (docs/grading.md)
#                make play    build easel-play, the class playground, and what it needs (docs/playground.md)
# Other targets: make gallery (pictures of every demo in docs/gallery and of the tutorial's steps
#                in docs/tutorial), make bench, make bench-grade (easel-grade on a class of 300),
#                make fuzz (FUZZ_SECONDS per target), make clean.
# Any OS:        make desktop    a desktop in a browser tab (the dev container in .devcontainer/ starts
#                it by itself; docs/devcontainer.md)
# In the browser: make web        every demo as a web page in build-web/ (docs/web.md)
#                 make web DEMO=<name>   one program's page
#                 make test-web   installs emscripten, Chromium and playwright-core, runs the browser tests
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
# easel-play runs under Debian's own Python, which has aiohttp; it compiles with emscripten.
PLAY_PACKAGES = $(GRADE_PACKAGES) python3-aiohttp emscripten
DESKTOP_PACKAGES = xvfb x11-utils openbox x11vnc novnc websockify python3
# openssh-server and rsync: a second machine for the --sshlogin test, an sshd of its own on 127.0.0.1.
TEST_PACKAGES = $(RUN_PACKAGES) $(GRADE_PACKAGES) python3-aiohttp openssh-server openssh-client rsync libgtest-dev libbenchmark-dev \
                xvfb xdotool x11-utils x11-apps x11-xserver-utils xauth imagemagick libx11-dev openbox x11vnc novnc \
                websockify g++-mingw-w64-x86-64-posix

BENCH_PACKAGES = $(TEST_PACKAGES) libsdl-gfx1.2-dev
FUZZ_PACKAGES = $(RUN_PACKAGES) clang libclang-rt-14-dev

WEB_PACKAGES = cmake make emscripten
WEB_TEST_PACKAGES = $(WEB_PACKAGES) chromium
WEB_SITE = build-web
WEB_BUILD = build-web-cmake
# Only a DEMO named on the command line limits make web to one page.
WEB_TARGET = $(if $(filter command line,$(origin DEMO)),--target $(DEMO))
# emcc's optimizer needs Debian's acorn where node is not Debian's own build.
WEB_ENV = NODE_PATH=/usr/share/nodejs
WEB_CONFIGURE = $(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
  -DEASEL_WEB_SITE=$(CURDIR)/$(WEB_SITE) -DCMAKE_CROSSCOMPILING_EMULATOR=$$(command -v node)

.PHONY: run new test grade gallery bench bench-grade bench-play fuzz build configure deps-run deps-test clean web test-web \
        web-test-tools web-if-available deps-web deps-web-test desktop deps-desktop deps-grade play play-client

run: deps-run configure
	@CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) $(if $(SCALE),SDL12COMPAT_WINDOW_SCALING=$(SCALE)) \
	  sh tools/run-demo.sh $(BUILD) "$$DEMO"

new:
	@sh tools/new-program.sh "$$NAME"

test: CMAKE_FLAGS += -DEASEL_BUILD_TESTS=ON
test: deps-test build $(if $(filter 1,$(SANITIZE)),,web-if-available)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

grade: deps-grade configure
	cmake --build $(BUILD) -j$(JOBS) --target easel-grade-tools
	@echo "easel-grade is $(BUILD)/bin/easel-grade"

# The web library and one page (which fills emscripten's cache for the compiles), and the playground's page.
play: deps-grade configure
	@sh tools/install-packages.sh $(PLAY_PACKAGES)
	@command -v npm >/dev/null || sh tools/install-packages.sh npm
	cmake --build $(BUILD) -j$(JOBS) --target easel-grade-tools
	$(MAKE) web DEMO=$(DEMO) play-client
	@echo "easel-play is $(BUILD)/bin/easel-play (docs/playground.md)"

# The editor and the page's script, bundled from npm into one file that easel-play serves itself.
play-client: $(WEB_BUILD)/play-client/play.js

$(WEB_BUILD)/play-client/play.js: play/client/src/play.js play/client/package.json play/client/package-lock.json \
                                  play/client/index.html play/client/teacher.html play/client/play.css
	mkdir -p $(WEB_BUILD)/play-npm/src $(WEB_BUILD)/play-client
	cp play/client/package.json play/client/package-lock.json $(WEB_BUILD)/play-npm/
	cp play/client/src/play.js $(WEB_BUILD)/play-npm/src/
	cd $(WEB_BUILD)/play-npm && npm ci --no-audit --no-fund && npm run build
	cp play/client/index.html play/client/teacher.html play/client/play.css $(WEB_BUILD)/play-client/
	cp $(WEB_BUILD)/play-npm/dist/play.js $@

gallery: deps-run build
	@sh tools/gallery.sh $(BUILD)
	@sh tools/tutorial.sh $(BUILD) snap

bench:
	@sh tools/install-packages.sh $(BENCH_PACKAGES)
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DEASEL_BUILD_BENCH=ON
	cmake --build build-bench -j$(JOBS) --target easel_bench
	# Repetitions of easel and its baseline interleave, so that a change in the machine's load between
	# them does not show as a change in their ratio.
	SDL_VIDEODRIVER=dummy build-bench/bin/easel_bench --benchmark_enable_random_interleaving=true

bench-grade: deps-test build
	sh bench/grade_bench.sh $(BUILD)

# 30 students of a class pressing Run within one second, against easel-play on this machine.
bench-play: play
	/usr/bin/python3 bench/play_bench.py $(BUILD)/bin/easel-play

# Every libFuzzer target fuzz/CMakeLists.txt adds, each from its seed corpus fuzz/corpus/<target> if any
# and from build-fuzz/seeds/<target>; findings are written under build-fuzz/.
FUZZ_TARGETS = $(shell sed -n 's/^easel_fuzz_target.\([A-Za-z0-9_]*\) .*/\1/p' fuzz/CMakeLists.txt)
# The script parser also starts from every script of the programs, the examples and the tutorial.
SCRIPT_SEEDS = $(wildcard programs/*/demo.replay docs/examples/*/demo.replay docs/tutorial/*/step.replay)

fuzz:
	@sh tools/install-packages.sh $(FUZZ_PACKAGES)
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEASEL_SANITIZE=ON \
	  -DEASEL_BUILD_FUZZ=ON -DEASEL_BUILD_TESTS=OFF -DEASEL_BUILD_PROGRAMS=OFF
	cmake --build build-fuzz -j$(JOBS) --target $(FUZZ_TARGETS)
	rm -rf build-fuzz/seeds && mkdir -p build-fuzz/seeds/script_fuzz
	for script in $(SCRIPT_SEEDS); do cp $$script build-fuzz/seeds/script_fuzz/$$(echo $$script | tr / _); done
	for target in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$target && \
	  SDL_VIDEODRIVER=dummy build-fuzz/bin/$$target -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build-fuzz/ \
	    build-fuzz/corpus/$$target \
	    $$(test -d fuzz/corpus/$$target && echo fuzz/corpus/$$target) \
	    $$(test -d build-fuzz/seeds/$$target && echo build-fuzz/seeds/$$target) || exit 1; \
	done

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

web: deps-web
	@[ -z "$(WEB_TARGET)" ] || [ -d "programs/$(DEMO)" ] || { echo "There is no program programs/$(DEMO)."; exit 2; }
	$(WEB_CONFIGURE)
	@$(WEB_ENV) sh tools/build-keep-going.sh $(WEB_BUILD) $(JOBS) $(WEB_TARGET); status=$$?; \
	  cmake --build $(WEB_BUILD) --target easel_web_index >/dev/null && exit $$status
	@echo "The pages are in $(WEB_SITE)/; serve that folder with any web server (docs/web.md)."

test-web: CMAKE_FLAGS += -DEASEL_BUILD_TESTS=ON
test-web: deps-test deps-web-test build web web-test-tools play-client
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) -L web

# The test pages and playwright-core, which drives Chromium.
web-test-tools: $(WEB_BUILD)/npm/node_modules/.package-lock.json
	$(WEB_CONFIGURE) -DEASEL_BUILD_TESTS=ON >/dev/null
	$(WEB_ENV) cmake --build $(WEB_BUILD) --target web_probe web_rules

$(WEB_BUILD)/npm/node_modules/.package-lock.json: tests/web/package.json tests/web/package-lock.json
	mkdir -p $(WEB_BUILD)/npm
	cp tests/web/package.json tests/web/package-lock.json $(WEB_BUILD)/npm/
	cd $(WEB_BUILD)/npm && npm ci --no-audit --no-fund
	touch $@

# make test runs the browser tests too where emscripten and Chromium are installed.
web-if-available:
	@if command -v emcc >/dev/null && command -v chromium >/dev/null && command -v npm >/dev/null; then \
	  $(MAKE) web web-test-tools play-client; \
	else \
	  echo "Browser tests skipped: emscripten or Chromium is missing; make test-web installs them and runs them."; \
	fi

deps-web:
	@sh tools/install-packages.sh $(WEB_PACKAGES)

# npm comes with some builds of node; Debian's node needs the package.
deps-web-test:
	@sh tools/install-packages.sh $(WEB_TEST_PACKAGES)
	@command -v npm >/dev/null || sh tools/install-packages.sh npm

deps-run:
	@sh tools/install-packages.sh $(RUN_PACKAGES)

# DESKTOP_ARGS, e.g. --display :1 --web-port 6080, go to tools/desktop.sh.
desktop: deps-desktop
	@sh tools/desktop.sh $(DESKTOP_ARGS)

deps-desktop:
	@sh tools/install-packages.sh $(DESKTOP_PACKAGES)

deps-test:
	@sh tools/install-packages.sh $(TEST_PACKAGES)

deps-grade:
	@sh tools/install-packages.sh $(RUN_PACKAGES) $(GRADE_PACKAGES)

clean:
	rm -rf build build-sanitize build-bench build-fuzz $(WEB_SITE) $(WEB_BUILD)
