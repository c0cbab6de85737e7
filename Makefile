# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps format

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

# Formats the sources as .clang-format says; `make test` fails on a file that differs.
format:
	@bash scripts/check-format.sh --fix
