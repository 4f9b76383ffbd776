# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/run and scripts/test: installs the Debian packages that are missing.
huesift_install() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# libdeflate-dev: the PNG codec's inflating, deflating and checksums. libpng-dev: the PNG tests
# write and read pictures with libpng, as other programs do. libxtst-dev: the window bench
# sends its keys and clicks as X input events.
HUESIFT_BUILD_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
  libwayland-dev libwayland-bin libgtest-dev libbenchmark-dev libcups2-dev qt6-tools-dev
  qt6-l10n-tools libdeflate-dev libpng-dev libxtst-dev)
# python3-gi: the capture test's stand-in screenshot portal is a D-Bus service in Python.
HUESIFT_TEST_PACKAGES=(xvfb xauth xdotool xclip x11-utils x11-apps cups cups-client cups-bsd
  printer-driver-cups-pdf poppler-utils python3 imagemagick libmagick++-dev libopencv-imgproc-dev
  fonts-dejavu-core desktop-file-utils appstream binutils dpkg-dev file clang libclang-rt-14-dev
  sway swaybg pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk grim
  wl-clipboard xwayland qt6-wayland dbus-daemon dbus-bin passwd procps
  clang-format python3-gi qt6-translations-l10n locales qt6-image-formats-plugins lintian)
# For the engine's and the codec's tests on aarch64: a cross compiler, GoogleTest's sources,
# qemu to run them, and the codec's libraries for arm64 (Debian's multiarch packages; the
# architecture is added first, see huesift_add_arm64).
HUESIFT_CROSS_PACKAGES=(g++-aarch64-linux-gnu googletest qemu-user libdeflate-dev:arm64
  libpng-dev:arm64)

# Lets apt install arm64 packages beside the machine's own (dpkg's multiarch).
huesift_add_arm64() {
  dpkg --print-foreign-architectures | grep -qx arm64 && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" dpkg --add-architecture arm64 && "${sudo[@]}" apt-get update -q
}
