# The project's two commands, `make test` and `make demo`, plus helpers.
# Missing Debian packages are installed first (one `apt-get update` when
# anything is missing).

BUILD ?= build
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(BUILD)/demo-data
PACKAGES := cmake ninja-build g++ pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev \
            libbenchmark-dev clang-format clang-tidy qt6-base-dev xvfb xauth \
            postgresql libpq-dev

.PHONY: all deps configure build test demo bench format format-check lint clean

all: build

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
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# CTest starts and stops its own PostgreSQL server (tools/pg-test-server.sh);
# the stop here also covers a run that was interrupted.
test: build format-check
	@trap '$(CURDIR)/tools/pg-test-server.sh stop $(abspath $(BUILD))/pg-test-server' EXIT; \
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

demo: build
	@rm -rf $(DEMO_DIR)
	$(BUILD)/bin/dorvane-data init $(DEMO_DIR) --companies 12 --jobs 400 --list 6 --saved 3
	@tools/demo.sh $(BUILD) $(DEMO_DIR)

format:
	git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format -i

format-check:
	@git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror

lint: configure
	git ls-files -co --exclude-standard '*.cpp' | xargs -r clang-tidy -p $(BUILD) --quiet

clean:
	rm -rf $(BUILD)
