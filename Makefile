# Two commands: `make run` starts the host program on its demo database,
# `make test` builds and runs every test. Both install what is missing.
.PHONY: run test deps build clean windows-deps test-windows

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
	$(MAKE) test-windows

# The 32-bit Windows build (prufacja.dll, KORPUS.DLL) with its tests run
# under Wine.
windows-deps:
	@bash scripts/install-windows-deps.sh

test-windows: windows-deps
	cmake --preset mingw
	cmake --build --preset mingw
	ctest --preset mingw

clean:
	rm -rf build
