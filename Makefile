# The two commands of the README. Each installs what is missing first, then builds incrementally.
PRESETS := host host-asan win32 win64
PYTHON := python3

.PHONY: test demo deps build unit release e2e clean $(addprefix build-,$(PRESETS))

test: deps build unit release e2e

demo: deps build-win32 build-win64
	$(PYTHON) tests/e2e/demo.py --build-dirs build/win32 build/win64 --out build/demo

deps:
	@scripts/install-deps.sh

build: $(addprefix build-,$(PRESETS))

# A static pattern rule: make skips implicit rules for phony targets.
$(addprefix build-,$(PRESETS)): build-%:
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

unit: build-host build-host-asan
	ctest --preset host --no-tests=error
	ctest --preset host-asan --no-tests=error

release: build-win32 build-win64
	$(PYTHON) tests/release/check_exe.py build/win32/Updater.exe --manifest res/updater.manifest
	$(PYTHON) tests/release/check_exe.py build/win64/Updater.exe --manifest res/updater.manifest
	$(PYTHON) tests/release/test_check_exe.py build/win32/Updater.exe

e2e: build-win32 build-win64
	$(PYTHON) tests/e2e/run.py --build-dirs build/win32 build/win64

clean:
	rm -rf build
