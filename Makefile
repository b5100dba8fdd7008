# Front door for a fresh machine: `make run` and `make test`.
BUILD ?= build
EXAMPLE ?= favorable
JOBS ?= 2

.PHONY: deps build run test bench clean

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	BUILD=$(BUILD) scripts/run-example.sh $(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) runs
