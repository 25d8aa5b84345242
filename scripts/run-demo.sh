#!/usr/bin/env bash
# Installs what the program needs, builds it, and starts it on the virtual phone.
# Pass --real to start it on the ports chosen in its settings instead.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" = "--real" ]; then
  exec "$ROOT/build/bin/vandrel-controller"
fi
exec "$ROOT/build/bin/vandrel-controller" --demo
