# Two commands: `make run` starts the host program on its demo database,
# `make test` builds and runs every test. Both install what is missing.
.PHONY: run test deps build clean windows-deps test-windows test-fuzz package coverage

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

run: build
	@bash scripts/run.sh

test: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan
	$(MAKE) test-fuzz
	$(MAKE) test-windows

# The fuzz targets (clang, libFuzzer), each for a bounded time from its
# seed corpus; fuzz/README.md has the longer run.
test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	ctest --preset fuzz

# The 32-bit Windows build (prufacja.dll, KORPUS.DLL) with its tests run
# under Wine: natively, or through qemu-user where the kernel runs no 32-bit
# program; where neither can run they are reported, loudly, as not run
# (scripts/test-windows.sh; PRUFACJA_WINDOWS_ROUTE=emulated forces qemu).
windows-deps:
	@bash scripts/install-windows-deps.sh

test-windows: windows-deps
	cmake --preset mingw
	cmake --build --preset mingw
	@bash scripts/test-windows.sh

# The release archives in dist/, made from the two builds and checked
# unpacked (scripts/package.sh).
package: deps windows-deps
	cmake --preset dev
	cmake --build --preset dev
	cmake --preset mingw
	cmake --build --preset mingw
	bash scripts/package.sh

# The native suite under clang's source-based coverage: lines and branches
# per folder (scripts/coverage.sh). Not part of `make test`.
coverage: deps
	@bash scripts/coverage.sh

clean:
	rm -rf build dist
