# Orlix: `make demo` runs the main job on sample images, `make test` builds and runs the tests.
# Both install what is missing first (Debian packages; needs root or sudo; the tests read a photo
# of ukui-wallpapers). `make install PREFIX=...` installs Orlix, `make package` builds its Debian
# package in build-package/.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
PACKAGE_DIR ?= build-package
PREFIX ?= /usr/local
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)

PACKAGES := build-essential cmake ninja-build pkg-config clang-format \
	libplist-dev libpng-dev libjpeg62-turbo-dev liblcms2-dev libimagequant-dev libzopfli-dev \
	libgtest-dev libgmock-dev qt6-base-dev qt6-base-private-dev dbus-daemon xvfb xauth \
	libxcb1-dev libxcb-xfixes0-dev libfontconfig-dev x11-utils openbox xdotool \
	librsvg2-bin xdg-utils libglib2.0-bin shared-mime-info \
	clang libclang-rt-14-dev imagemagick \
	ukui-wallpapers

# What building and checking the Debian package takes besides the build itself.
PACKAGING_PACKAGES := debhelper dpkg-dev lintian desktop-file-utils appstream

# Peer tools the benchmarks measure against, their quality metric, and the two corpora of images
# nobody here made that `make bench` measures one after the other: large wallpapers and drawings
# (mate-backgrounds), and photos of ordinary size (the JPEGs of ukui-wallpapers and
# lomiri-wallpapers-16.04, which lie beside each other). `make bench IMAGES="folders or files"`
# measures one corpus of its own.
BENCH_PACKAGES := libjpeg-turbo-progs imagemagick libjxl-devtools time pngquant zopfli valgrind \
	mate-backgrounds ukui-wallpapers lomiri-wallpapers-16.04
BENCH_CORPORA := /usr/share/backgrounds/mate '/usr/share/backgrounds/*.jpg'

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps pkgs install package build test test-drop test-asan test-tsan bench demo format \
	format-check clean \
	fuzz-build fuzz fuzz-all fuzz-corpus

all: build

deps:
	@$(MAKE) --no-print-directory pkgs PACKAGE_LIST="$(PACKAGES)"

# Installs the Debian packages of PACKAGE_LIST that are missing.
pkgs:
	@missing=$$(for p in $(PACKAGE_LIST); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# configure DIR, extra cmake arguments
define configure
	cmake -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLIX_WERROR=ON $(2)
endef

build: deps
	$(call configure,$(BUILD_DIR),)
	cmake --build $(BUILD_DIR) -j $(JOBS)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The package is built from a copy of the worktree whose build folder is kept between runs, so
# that a second `make package` compiles only what changed. The tests are left to `make test`.
package: deps
	@$(MAKE) --no-print-directory pkgs PACKAGE_LIST="$(PACKAGING_PACKAGES)"
	mkdir -p $(PACKAGE_DIR)/orlix
	find $(PACKAGE_DIR)/orlix -mindepth 1 -maxdepth 1 ! -name 'obj-*' -exec rm -rf {} +
	rm -f $(PACKAGE_DIR)/orlix_*
	tar -c --exclude-vcs --exclude='./build*' --exclude='./obj-*' . | tar -x -C $(PACKAGE_DIR)/orlix
	cd $(PACKAGE_DIR)/orlix && DEB_BUILD_OPTIONS="nocheck parallel=$(JOBS)" \
		DEB_BUILD_PROFILES=nocheck dpkg-buildpackage -us -uc -b --no-pre-clean
	@ls $(PACKAGE_DIR)/orlix_*.deb

# The drop check drives a real X display; it runs on its own, after the rest (`make test-drop`).
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) -LE drop-end-to-end

test-drop: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -L drop-end-to-end

test-asan: deps
	$(call configure,$(ASAN_DIR),-DORLIX_SANITIZE=address)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE drop-end-to-end

test-tsan: deps
	$(call configure,$(TSAN_DIR),-DORLIX_SANITIZE=thread)
	cmake --build $(TSAN_DIR) -j $(JOBS)
	TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$(CURDIR)/tests/tsan.supp" \
		ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -LE drop-end-to-end

# Fuzzing (clang, libFuzzer, AddressSanitizer and UBSan): `make fuzz TARGET=name SECONDS=n` runs
# one target, `make fuzz-all SECONDS=n` each in turn; both fail on the first fault found.
FUZZ_TARGETS := image-decoder thumbnail exif service-request client-reply user-defaults \
	preferences url uri-list
SECONDS ?= 60

fuzz-build: deps
	CC=clang CXX=clang++ $(call configure,$(FUZZ_DIR),-DORLIX_FUZZ=ON)
	cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: fuzz-build
	@[ -n "$(TARGET)" ] || { echo "TARGET is one of: $(FUZZ_TARGETS)"; exit 2; }
	sh tests/fuzz/run-fuzzer.sh $(FUZZ_DIR) $(TARGET) $(SECONDS)

fuzz-all: fuzz-build
	@for target in $(FUZZ_TARGETS); do \
		echo "== $$target ($(SECONDS) s)"; \
		sh tests/fuzz/run-fuzzer.sh $(FUZZ_DIR) $$target $(SECONDS) || exit 1; \
	done

# Writes the seed inputs of tests/fuzz/corpus/ afresh.
fuzz-corpus: fuzz-build
	rm -rf tests/fuzz/corpus
	$(FUZZ_DIR)/fuzz/orlix-fuzz-seeds tests/fuzz/corpus

bench: deps
	@$(MAKE) --no-print-directory pkgs PACKAGE_LIST="$(BENCH_PACKAGES)"
	$(call configure,build-bench,-DORLIX_BENCH=ON)
	cmake --build build-bench -j $(JOBS) --target orlix-export-bench orlix-image-utils orlix
	@if [ -n "$(IMAGES)" ]; then build-bench/bin/orlix-export-bench $(IMAGES); \
	else for corpus in $(BENCH_CORPORA); do build-bench/bin/orlix-export-bench $$corpus || exit 1; done; fi

demo: build
	sh demo/run-demo.sh $(BUILD_DIR)/bin

format:
	find src tests bench demo \( -name '*.cpp' -o -name '*.h' \) | xargs -r clang-format -i

format-check:
	find src tests bench demo \( -name '*.cpp' -o -name '*.h' \) | xargs -r clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR) build-bench $(PACKAGE_DIR)
