# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: setup configure build program run test clean

setup:
	bash scripts/setup

# CMake 3.25's automatic moc does not notice a header added to an existing build: when the
# list of headers changes, its stamps go, so the next build runs moc over the new ones too.
configure: setup
	cmake -S . -B $(BUILD) -G Ninja
	@find . -path ./$(BUILD) -prune -o -name '*.h' -print | sort > $(BUILD)/headers.list.new
	@if ! cmp -s $(BUILD)/headers.list.new $(BUILD)/headers.list; then \
	  find $(BUILD) -path '*_autogen/timestamp' -delete; \
	  mv $(BUILD)/headers.list.new $(BUILD)/headers.list; \
	else rm -f $(BUILD)/headers.list.new; fi

# Everything: the program, its tools, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, with what it loads and reads (its modules, the format files beside it).
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target scrivelle

# `make run FILE=path/to/file.srt` opens a file at start.
run: program
	./$(BUILD)/scrivelle $(FILE)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
