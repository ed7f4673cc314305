# Velmok 2.2 — build, test, run, install and try out.
#   make run          installs what is missing, builds and starts the client
#   make test         installs what is missing, builds and runs every test
#   make demo         a local server, a companion that chats, and the client
#   make install      installs into PREFIX (default /usr/local); DESTDIR works
#   make uninstall    removes what the last install put down
#   make screenshots  refreshes the README's screenshot (Xvfb, kept script)
#   make test-asan    every test built with AddressSanitizer and UBSan (own folder)
#   make fuzz         a short run of every fuzz target (FUZZ_SECONDS each)
#   make deb          the Debian package, built from a clean copy, in build-deb/
#   make deb-check    lintian, AppStream and manual page checks of that package
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
DEB_BUILD ?= build-deb
# Each fuzz target runs FUZZ_SECONDS seconds or FUZZ_RUNS executions (0: no
# limit), whichever ends first; the long runs take FUZZ_SECONDS=1800
# FUZZ_RUNS=10000000.
FUZZ_SECONDS ?= 20
FUZZ_RUNS ?= 0
JOBS ?= 2
PREFIX ?= /usr/local
DESTDIR ?=
PACKAGES = g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
           libgtest-dev libgmock-dev libbenchmark-dev ngircd inspircd fonts-noto-cjk xvfb xauth xdotool \
           imagemagick desktop-file-utils openssl libssl3 clang libclang-rt-14-dev dbus-daemon
# Only the screenshot script needs these.
SCREENSHOT_PACKAGES = xvfb xauth xdotool imagemagick fonts-noto-cjk
# The package build; its Build-Depends come from debian/control.
DEB_PACKAGES = dpkg-dev debhelper
DEB_CHECK_PACKAGES = lintian appstream man-db

.PHONY: deps build test test-asan fuzz run demo install uninstall screenshots deb deb-check clean format

deps:
	@missing=""; for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	@# The Debian ngircd and inspircd packages start system daemons; the tests
	@# start their own servers on free ports and do not need them.

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 300

# Leak checking is on; any sanitizer report fails the test that caused it.
# The suppressions name leaks inside the system's own libraries only.
# No strict_string_checks: libxkbcommon-x11 strndup()s keymap names out of
# buffers that are not NUL-terminated, which is legal, and that option reports
# it as an overflow as soon as a client starts on a real X display.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-asan: deps
	@# -O1 and line tables only: quick to build, and reports still name file and line.
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DVELMOK_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS) --timeout 600

fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVELMOK_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_RUNS)

run: build
	./$(BUILD)/velmok $(ARGS)

# Closing the client's window stops the server and the companion too.
demo: build
	./$(BUILD)/demo/velmok_demo --client ./$(BUILD)/velmok $(ARGS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt
	@# Menus and icon caches pick the new files up at once on a live system.
	@if [ -z "$(DESTDIR)" ]; then \
	  command -v update-desktop-database >/dev/null && update-desktop-database -q "$(PREFIX)/share/applications" || true; \
	  command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" || true; \
	fi

uninstall:
	DESTDIR="$(DESTDIR)" tools/uninstall $(BUILD)/installed-files.txt

screenshots:
	$(MAKE) build EXTRA_PACKAGES="$(SCREENSHOT_PACKAGES)"
	tools/screenshots $(BUILD)

# dpkg-buildpackage -us -uc -b in a copy of the tree; the tests run in it
# (DEB_BUILD_OPTIONS=nocheck skips them).
deb:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEB_PACKAGES)"
	@dpkg-checkbuilddeps 2>/dev/null || { \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  echo "Installing the Build-Depends of debian/control"; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
	    $$SUDO apt-get build-dep -y -qq --no-install-recommends ./; }
	tools/build-deb $(DEB_BUILD)

# Checks the package that `make deb` left: lintian, appstreamcli, the manual
# page, and the files and `velmok --version` of its unpacked contents.
deb-check:
	@$(MAKE) --no-print-directory deps PACKAGES="$(DEB_CHECK_PACKAGES)"
	tools/check-deb $(DEB_BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
