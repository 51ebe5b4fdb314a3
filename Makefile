# Brivanta: `make run` builds and starts the program under Wine, `make test` runs every test,
# `make bench` runs the benchmarks. Each installs what this machine is missing first.
#
# build/win32 holds the product, the 32-bit Brivanta.exe. Where this machine cannot run
# 32-bit Wine (see scripts/wine-env.sh), the tests and `make run` use build/win64, the
# 64-bit build of the same sources, under 64-bit Wine.
BUILD      ?= build
NATIVE_DIR := $(BUILD)/native
JOBS       ?= $(shell nproc)
BITS        = $(shell scripts/wine-bits.sh)
RUN_DIR     = $(BUILD)/win$(BITS)
# Each build folder has its own Wine prefix.
export BRIVANTA_WINEPREFIX ?= $(abspath $(BUILD))/wineprefix$(BITS)

.PHONY: all deps build native win32 win64 test run bench screens clean

all: build

deps:
	@scripts/install-deps.sh

$(NATIVE_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=Release

$(BUILD)/win%/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD)/win$* -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(if $(filter 32,$*),i686,x86_64).cmake

native: deps $(NATIVE_DIR)/CMakeCache.txt
	cmake --build $(NATIVE_DIR) -j $(JOBS)

win32 win64: win%: deps $(BUILD)/win%/CMakeCache.txt
	cmake --build $(BUILD)/win$* -j $(JOBS)

# The product, and the Windows build that Wine runs here.
build: native win32
	@if [ "$(BITS)" != 32 ]; then $(MAKE) --no-print-directory win$(BITS); fi

test: build
	scripts/wine-prefix.sh
	cd $(NATIVE_DIR) && ctest --output-on-failure
	scripts/with-display.sh sh -c 'cd $(RUN_DIR) && ctest --output-on-failure'

run: build
	scripts/run.sh $(RUN_DIR)/Brivanta.exe $(BUILD)/screenshot.png

bench: build
	scripts/wine-prefix.sh
	scripts/with-display.sh scripts/bench.sh $(NATIVE_DIR) $(RUN_DIR)

clean:
	rm -rf $(BUILD)

# Screens that the tests show, saved as PNG files in build/screens for a person to look at.
screens: build
	scripts/wine-prefix.sh
	rm -rf $(BUILD)/screens && mkdir -p $(BUILD)/screens
	BRIVANTA_SCREENSHOTS="Z:$(subst /,\\,$(abspath $(BUILD)/screens))" scripts/with-display.sh sh -c \
	  'cd $(RUN_DIR) && ctest -R "row_commands|extract_statistics" >/dev/null'
	for f in $(BUILD)/screens/*.bmp; do convert "$$f" "$${f%.bmp}.png" && rm "$$f"; done
	@ls $(BUILD)/screens
