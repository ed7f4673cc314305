# Velmok 2.2 — build, test and run.
#   make run    installs what is missing, builds and starts the client
#   make test   installs what is missing, builds and runs every test
BUILD ?= build
JOBS ?= 2
PACKAGES = g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
           libgtest-dev libgmock-dev libbenchmark-dev ngircd fonts-noto-cjk xvfb xauth \
           imagemagick

.PHONY: deps build test run clean format

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	@# The Debian ngircd package starts a system daemon on port 6667; the tests
	@# start their own server on a free port and do not need it.

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 300

run: build
	./$(BUILD)/velmok $(ARGS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
