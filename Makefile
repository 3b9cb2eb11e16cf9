# The two set-up commands of the README: `make demo` and `make test`.
DEMO_HOME ?= $(CURDIR)/demo-home
CLI := build/src/norvik-export

.PHONY: deps build build-asan demo test package fuzz bench screenshots format format-check clean

deps:
	@scripts/install-deps

build: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev

build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan

demo: build
	scripts/demo "$(CLI)" "$(DEMO_HOME)"

test: build build-asan
	scripts/run-tests

# The Debian package of the release build, build-release/norvik-export_VERSION_ARCH.deb. Fails when
# the tool lacks a hardening feature, a desktop entry or the man page has a warning, or lintian
# reports an error or a warning.
package: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	rm -f build-release/norvik-export_*.deb
	cd build-release && cpack
	@# Control flow integrity needs every linked object marked; Debian 12's C start files are not.
	hardening-check --nocfprotection build-release/src/norvik-export build-release/src/norvik-export-gui
	@out=$$(desktop-file-validate packaging/*.desktop 2>&1); \
	  if [ -n "$$out" ]; then echo "$$out"; exit 1; fi; echo "desktop-file-validate: ok"
	@out=$$(man --warnings -E UTF-8 -l build-release/norvik-export.1 2>&1 >/dev/null); \
	  if [ -n "$$out" ]; then echo "$$out"; exit 1; fi; echo "man page: no warnings"
	lintian --fail-on error,warning build-release/norvik-export_*.deb

# Builds every fuzzer, then runs each for FUZZ_TIME seconds (default 600); see scripts/fuzz.
fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target fuzzers
	scripts/fuzz

bench: build
	scripts/bench

# The dialogs rendered offscreen over a fresh demo home into build/screenshots/*.png.
screenshots: build
	rm -rf build/screenshots-home build/screenshots
	$(CLI) --home build/screenshots-home demo >/dev/null
	XDG_CONFIG_HOME=$(CURDIR)/build/screenshots-home/config QT_QPA_PLATFORM=offscreen \
	  build/tools/screenshots/norvik-screenshots build/screenshots-home build/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-release build-fuzz
