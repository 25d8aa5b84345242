#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything, and runs the whole suite.
#   --sanitize   build the core, link, virtual-phone, integration and GUI tests with
#                AddressSanitizer and UBSan (build-asan/) and run those.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  configure_and_build "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVANDREL_SANITIZE=ON -DVANDREL_BUILD_BENCH=OFF \
    -- test_core test_link test_phonesim test_integration test_ui
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  ctest --test-dir "$ROOT/build-asan" -j2 --output-on-failure -L '^(core|link|phonesim|integration|ui)$'
else
  configure_and_build "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  ctest --test-dir "$ROOT/build" -j2 --output-on-failure
fi
