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

# The Debian package of the release build, build-release/norvik-export_VERSION_ARCH.deb; lintian
# fails it on an error and lists its warnings.
package: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	rm -f build-release/norvik-export_*.deb
	cd build-release && cpack
	lintian --fail-on error build-release/norvik-export_*.deb

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
	  build/src/norvik-screenshots build/screenshots-home build/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-release build-fuzz
