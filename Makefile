# `make run` starts the tool under Wine; `make test` runs every test.
# Both install what a fresh Debian 12 machine lacks (scripts/setup.sh).
# `make dist` builds the release package in dist/.
.PHONY: run test dist build format clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

dist:
	@scripts/dist.sh

build:
	@scripts/setup.sh && scripts/build.sh

format:
	@find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
