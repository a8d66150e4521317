SHELL := /bin/bash
# Kestrune: build, test and run from a fresh Debian 12 machine.
#   make demo   builds everything and renders the demo through the plug-in
#   make test   builds everything and runs every test (SANITIZE=1: with ASan and UBSan;
#               TSAN=1: the threaded tests under ThreadSanitizer)
#   make panel-art  redraws the panel images in resources/img

SANITIZE ?= 0
TSAN ?= 0
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
BUILD_DIR := $(if $(filter 1,$(SANITIZE)),build-san,$(if $(filter 1,$(TSAN)),build-tsan,build))
FUZZ_DIR := build-fuzz

PACKAGES := build-essential cmake pkg-config clang libclang-rt-14-dev \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxfixes-dev \
	libxtst-dev xvfb xauth \
	libsndfile1-dev libpixman-1-dev dpf-plugins-vst fonts-dejavu-core libcairo2-dev \
	lv2-dev liblilv-dev lilv-utils sordi serdi

SAN_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

.PHONY: all deps configure build test demo bench fuzz install clean panel-art

all: build

# Installs only the packages that are missing; needs root or sudo when something is.
deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:" $$missing; \
		if [ "$$(id -u)" -eq 0 ]; then sudo=; else sudo=sudo; fi; \
		$$sudo apt-get update -q && \
		DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -q --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DKESTRUNE_SANITIZE=$(if $(filter 1,$(SANITIZE)),ON,OFF) \
		-DKESTRUNE_TSAN=$(if $(filter 1,$(TSAN)),ON,OFF)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS)

# Renders the built-in demo (plucked strings, then a slow sweep) through the freshly built module.
demo: build
	$(BUILD_DIR)/tools/kestrune-render -o kestrune-demo.wav
	@echo "Demo written to $(CURDIR)/kestrune-demo.wav (plug-in: $(CURDIR)/$(BUILD_DIR)/Kestrune.so)"

# Redraws the six panel images into resources/img, where the module's build picks them up. The
# generator is deterministic: unchanged drawing code rewrites the same bytes.
panel-art: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kestrune-panel-art
	$(BUILD_DIR)/tools/kestrune-panel-art resources/img

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b" || true; done

# libFuzzer targets under AddressSanitizer (and its leak checker), each run for FUZZ_SECONDS
# over a scratch copy of its committed seed corpus.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DKESTRUNE_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@set -e; for f in $(FUZZ_DIR)/tests/fuzz/fuzz_*; do \
		[ -x "$$f" ] || continue; \
		name=$${f##*/fuzz_}; work=$$(mktemp -d); \
		if [ -d tests/fuzz/corpus/$$name ]; then cp -r tests/fuzz/corpus/$$name/. $$work/; fi; \
		echo "== fuzzing $$name for $(FUZZ_SECONDS) s"; \
		status=0; $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$work > $$work.log 2>&1 || status=$$?; \
		if [ $$status -ne 0 ]; then cat $$work.log; echo "fuzz_$$name found a fault"; rm -rf $$work $$work.log; exit 1; fi; \
		grep -E '^(#[0-9]+.*DONE|Done|stat::number_of_executed_units)' $$work.log || tail -n 5 $$work.log; \
		rm -rf $$work $$work.log; \
	done

install: build
	mkdir -p $(HOME)/.vst
	cp $(BUILD_DIR)/Kestrune.so $(HOME)/.vst/
	@echo "Installed $(HOME)/.vst/Kestrune.so"
	mkdir -p $(HOME)/.lv2
	rm -rf $(HOME)/.lv2/Kestrune.lv2
	cp -r $(BUILD_DIR)/Kestrune.lv2 $(HOME)/.lv2/
	@echo "Installed $(HOME)/.lv2/Kestrune.lv2"

clean:
	rm -rf build build-san build-tsan $(FUZZ_DIR)
