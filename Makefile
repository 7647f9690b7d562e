# The project's two commands, `make test` and `make demo`, plus helpers.
# Missing Debian packages are installed first (one `apt-get update` when
# anything is missing).
#
# `make test` runs these parts, each also a target of its own:
#   test-main  the normal build (build/, shared libraries) and every test,
#              the Debian packages' among them
#   test-asan  a Debug build with the address and undefined-behaviour
#              sanitizers (build-asan/, static libraries, no Qt, no
#              benchmarks) and every test
#   test-tsan  a build with the thread sanitizer (build-tsan/, only the programs
#              and tests it runs) and the tests of what threads share: the
#              toolkit, the record store, many sessions on threads at once and the
#              web server's sessions
#   fuzz       each libFuzzer target of fuzz/ for FUZZ_SECONDS (build-fuzz/, clang)
#   test-nopg  a build without PostgreSQL (build-nopg/): its programs run every
#              scenario on data folders
#   soak       random scripts against one data folder while another process
#              changes its files, for SOAK_SECONDS (tests/soak/); `make test`
#              runs it on the sanitizer build (soak-asan)
#
# The normal build keeps assert live (DORVANE_ASSERTS); `make bench` and
# `make bench-link` measure a release build of their own (build-bench/,
# NDEBUG, no tests, no Qt).

BUILD ?= build
BENCH_BUILD ?= build-bench
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
NOPG_BUILD ?= build-nopg
FUZZ_SECONDS ?= 30
SOAK_SECONDS ?= 60
SOAK_RUNS ?= 100000
SOAK_SEED ?= $(shell date +%s)
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(BUILD)/demo-data
PACKAGES := cmake ninja-build g++ pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev \
            libbenchmark-dev clang-format clang-tidy qt6-base-dev xvfb xauth \
            mdbtools-dev ccache clang-14 libclang-rt-14-dev postgresql libpq-dev locales \
            libcli11-dev dpkg-dev file lintian libboost-dev nlohmann-json3-dev libssl-dev \
            chromium chromium-driver python3-selenium
# ccache keeps the three builds cheap to repeat.
LAUNCHER = $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A sanitizer report ends the program with a failure; leaks are reported too.
# (dorvane-data's import child reports like any program; it lets through only
# one known over-read inside the system's mdbtools: see apps/dorvane-data/import.cpp.)
SANITIZER_ENV = ASAN_OPTIONS=abort_on_error=0:detect_leaks=1:strict_string_checks=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# The thread sanitizer's build makes only what its tests need, and runs the
# tests labelled with their folders.
TSAN_TARGETS = dorvane-data dorvane-web test_screen test_recordstore test_threads test_web
TSAN_LABELS = ^(screen|recordstore|threads|web)$$
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

.PHONY: all deps configure build test test-main test-asan test-tsan test-nopg fuzz soak soak-asan demo web-demo bench-build bench bench-link bench-web format format-check lint clean

all: build

# $(call configure_in,DIR,OPTIONS[,ENV]) configures DIR with cmake and OPTIONS,
# again (from a fresh cache) whenever OPTIONS or ENV differ from the ones DIR was
# configured with, kept in DIR/make-options.
define configure_in
	@want='$(strip $(3) $(2))'; \
	if [ ! -f $(1)/build.ninja ] || [ "$$(cat $(1)/make-options 2>/dev/null)" != "$$want" ]; then \
	  rm -f $(1)/CMakeCache.txt; \
	  $(3) cmake -S . -B $(1) -G Ninja $(2) $(LAUNCHER) && echo "$$want" > $(1)/make-options; \
	fi
endef

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	$(call configure_in,$(BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: test-main test-asan test-tsan fuzz soak-asan test-nopg

# CTest starts and stops its own PostgreSQL server (tools/pg-test-server.sh);
# the stop here also covers a run that was interrupted.
test-main: build format-check
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(abspath $(BUILD))/pg-test-server' EXIT; \
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	$(call configure_in,$(ASAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DDORVANE_SANITIZE=ON \
	  -DDORVANE_QT=OFF -DDORVANE_BENCH=OFF -DBUILD_SHARED_LIBS=OFF)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(abspath $(ASAN_BUILD))/pg-test-server' EXIT; \
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	$(call configure_in,$(TSAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DDORVANE_SANITIZE_THREAD=ON \
	  -DDORVANE_QT=OFF -DDORVANE_BENCH=OFF)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(abspath $(TSAN_BUILD))/pg-test-server' EXIT; \
	cd $(TSAN_BUILD) && $(TSAN_ENV) ctest --output-on-failure -j $(JOBS) -L '$(TSAN_LABELS)' -LE browser

# A build without PostgreSQL (SQLite only, no debug information so that
# ccache serves it from any folder): its two programs, every scenario on
# data folders, and no libpq anywhere.
test-nopg: deps
	$(call configure_in,$(NOPG_BUILD),-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 \
	  -DDORVANE_POSTGRES=OFF -DDORVANE_TESTS=OFF -DDORVANE_BENCH=OFF -DDORVANE_QT=OFF)
	cmake --build $(NOPG_BUILD) -j $(JOBS) --target dorvane-script dorvane-data
	tests/install/no-postgres.sh $(NOPG_BUILD)/bin

fuzz: deps
	$(call configure_in,$(FUZZ_BUILD),-DCMAKE_BUILD_TYPE=Debug -DDORVANE_FUZZ=ON -DDORVANE_TESTS=OFF \
	  -DDORVANE_QT=OFF -DDORVANE_BENCH=OFF -DBUILD_SHARED_LIBS=OFF,CC=clang-14 CXX=clang++-14)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) fuzz/run-fuzzers.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

soak: build
	$(BUILD)/bin/dorvane-soak --seconds $(SOAK_SECONDS) --runs $(SOAK_RUNS) --seed $(SOAK_SEED)

# The soak of `make test` drives the sanitizer build's programs.
soak-asan: test-asan
	$(SANITIZER_ENV) $(ASAN_BUILD)/bin/dorvane-soak --seconds $(SOAK_SECONDS) --runs $(SOAK_RUNS) \
	  --seed $(SOAK_SEED)

# BENCH_TARGETS narrows the build to what one benchmark runs (bench-web).
bench-build: deps
	$(call configure_in,$(BENCH_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORVANE_ASSERTS=OFF \
	  -DDORVANE_TESTS=OFF -DDORVANE_QT=OFF)
	cmake --build $(BENCH_BUILD) -j $(JOBS) $(if $(BENCH_TARGETS),--target $(BENCH_TARGETS))

bench: bench-build
	@for b in $(BENCH_BUILD)/bin/bench_*; do \
	  case $$b in *bench_web) continue;; esac; [ -x "$$b" ] && "$$b" || exit 1; done

# The server benchmarks on a throwaway server of their own: every server action
# over links of 0 to 50 ms round trip (bench_link), then many workstations on
# one database at once (bench_users). See bench/README.md.
BENCH_SERVER = $(abspath $(BENCH_BUILD))/pg-bench-server
bench-link: bench-build
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(BENCH_SERVER)' EXIT; \
	uri=$$($(CURDIR)/tools/pg-test-server.sh start $(BENCH_SERVER)) && \
	DORVANE_BENCH_PG=$$uri $(BENCH_BUILD)/bin/bench_link && \
	DORVANE_BENCH_PG=$$uri $(BENCH_BUILD)/bin/bench_users

# The web server's figures (bench_web): key to patch on loopback at a million
# jobs, memory per session, 200 sessions with 50 typing; then the same sessions
# on a throwaway server with max_connections 100, by one and by two processes.
bench-web: BENCH_TARGETS = bench_web dorvane-web
bench-web: bench-build
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(BENCH_SERVER)-web' EXIT; \
	uri=$$(PG_TEST_MAX_CONNECTIONS=100 $(CURDIR)/tools/pg-test-server.sh start $(BENCH_SERVER)-web) && \
	DORVANE_BENCH_PG=$$uri $(BENCH_BUILD)/bin/bench_web

demo: build
	@rm -rf $(DEMO_DIR)
	$(BUILD)/bin/dorvane-data init $(DEMO_DIR) --companies 12 --jobs 400 --list 6 --saved 3
	@tools/demo.sh $(BUILD) $(DEMO_DIR)

# The control in a web browser: two sample folders served by dorvane-web on
# 127.0.0.1 with the example page examples/web-host; the URL is printed.
WEB_DEMO_DIR ?= $(BUILD)/web-demo
web-demo: build
	@rm -rf $(WEB_DEMO_DIR)
	$(BUILD)/bin/dorvane-data init $(WEB_DEMO_DIR)/acme --companies 12 --jobs 400 --list 6 --saved 3
	$(BUILD)/bin/dorvane-data init $(WEB_DEMO_DIR)/globex --companies 8 --jobs 200 --list 3 --saved 2
	@tools/web-demo.sh $(BUILD) $(WEB_DEMO_DIR)

format:
	git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format -i

format-check:
	@git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror

lint: configure
	git ls-files -co --exclude-standard '*.cpp' | xargs -r clang-tidy -p $(BUILD) --quiet

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(NOPG_BUILD) $(BENCH_BUILD)
