# Front door for a fresh machine: `make run` and `make test`.
#   make run                          builds the program, runs examples/favorable, prints its summary
#   make run EXAMPLE=heterogeneous ARGS='--seed 1'
#   make test                         builds everything and runs the test suite
BUILD ?= build
EXAMPLE ?= favorable
ARGS ?=
JOBS ?= 2

.PHONY: run test build-program build bench install clean

# The program alone: the packages of the build group, the one target.
build-program:
	scripts/install-deps.sh build
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCOLLOIDSIM_TESTS=OFF -DCOLLOIDSIM_BENCHMARKS=OFF > /dev/null
	cmake --build $(BUILD) -j $(JOBS) --target colloidsim

# Everything .ci/run builds and runs: tests, benchmarks, the Slurm and fuzz tools.
build:
	scripts/install-deps.sh
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCOLLOIDSIM_TESTS=ON -DCOLLOIDSIM_BENCHMARKS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build-program
	@BUILD=$(BUILD) scripts/run-example.sh $(EXAMPLE) $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

install: build-program
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) runs
