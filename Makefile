# Two commands: `make run` starts the host program on its demo database,
# `make test` builds and runs every test. Both install what is missing.
.PHONY: run test deps build clean

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

clean:
	rm -rf build
