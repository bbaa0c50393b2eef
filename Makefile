# Front door for newcomers and CI. `make run` and `make test` install the Debian
# packages that are missing, configure, build and then start the program or run the
# whole test suite. Everything else is for developers.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# Debian 12 packages needed to build, test and run.
PACKAGES := cmake ninja-build g++ make pkg-config \
            qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev \
            libgtest-dev libgmock-dev googletest libicu-dev \
            tango-icon-theme fonts-liberation2 xvfb xauth openbox xdotool x11-utils \
            xdg-utils poppler-utils appstream desktop-file-utils dpkg-dev file python3
FUZZ_PACKAGES := clang libclang-rt-14-dev

# ccache, where a developer has it, makes rebuilds in several checkouts cheap.
CCACHE := $(shell command -v ccache 2>/dev/null)
CMAKE_LAUNCHER := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: all deps build run test package package-check bench asan fuzz format clean

all: build

# Installs only what dpkg does not report as installed.
deps:
	@missing=$$(for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_LAUNCHER)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@echo "Starting Vemba; the sample tests are in its data folder's Ask folder (Megnyit, Ctrl+O)."
	./$(BUILD)/app/vemba

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package $(BUILD)/vemba_VERSION_ARCH.deb, its dependencies found by dpkg-shlibdeps.
package: build
	cd $(BUILD) && cpack -G DEB

# The package unpacked into a scratch root and checked there (CI runs this after the tests).
package-check: package
	tests/package/check_package.sh $(BUILD)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_LAUNCHER)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	for b in $(BENCH_BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEMBA_SANITIZE=ON $(CMAKE_LAUNCHER)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every fuzz target in turn, FUZZ_SECONDS each, on inputs up to 1 MB; each keeps its corpus.
FUZZ_TARGETS := fuzz_load fuzz_import fuzz_profile
FUZZ_SEEDS_fuzz_load := tests/fuzz/corpus/* resources/Ask/*.ask
FUZZ_SEEDS_fuzz_import := tests/fuzz/corpus_import/*
FUZZ_SEEDS_fuzz_profile := tests/fuzz/corpus_profile/*

fuzz:
	$(MAKE) deps EXTRA_PACKAGES="$(FUZZ_PACKAGES)"
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMBA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	set -e; for t in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	    case $$t in \
	      fuzz_load) seeds="$(FUZZ_SEEDS_fuzz_load)";; \
	      fuzz_import) seeds="$(FUZZ_SEEDS_fuzz_import)";; \
	      fuzz_profile) seeds="$(FUZZ_SEEDS_fuzz_profile)";; \
	    esac; \
	    cp -n $$seeds $(FUZZ_BUILD)/corpus/$$t/ 2>/dev/null || true; \
	    ./$(FUZZ_BUILD)/tests/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=1048576 -timeout=10 \
	        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/$$t- \
	        $(FUZZ_BUILD)/corpus/$$t; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
