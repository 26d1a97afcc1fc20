# The two commands: `make demo` and `make test`. Each does all set-up first.
.PHONY: all setup build test demo clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@scripts/build.sh

test: build
	@scripts/test.sh

demo: build
	@scripts/demo.sh

clean:
	rm -rf build/native build/win build/win-release build/wine
