# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/run and scripts/test: installs the Debian packages that are missing.
# HUESIFT_NO_RECOMMENDS=1 leaves out the packages' recommendations (the desktops below would
# otherwise bring whole sessions).
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
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    ${HUESIFT_NO_RECOMMENDS:+--no-install-recommends} "${missing[@]}"
}

# libdeflate-dev: the PNG codec's inflating, deflating and checksums. libpng-dev: the PNG tests
# write and read pictures with libpng, as other programs do. libxtst-dev: the window bench
# sends its keys and clicks as X input events. qt6-base-private-dev: the Wayland clipboard
# takes Qt's connection to the compositor through Qt's platform interface. libxcb1-dev: on X11
# a window shown again after a capture asks the window manager for the front.
HUESIFT_BUILD_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-base-private-dev
  qt6-qpa-plugins libgl-dev libwayland-dev libwayland-bin libgtest-dev libbenchmark-dev
  libcups2-dev qt6-tools-dev qt6-l10n-tools libdeflate-dev libpng-dev libxtst-dev libxcb1-dev)
# python3-gi: the capture test's stand-in screenshot portal is a D-Bus service in Python.
# gifsicle, python3-pil: GIFs as people's tools write them.
HUESIFT_TEST_PACKAGES=(xvfb xauth xdotool xclip x11-utils x11-apps cups cups-client cups-bsd
  printer-driver-cups-pdf poppler-utils python3 imagemagick libmagick++-dev libopencv-imgproc-dev
  fonts-dejavu-core desktop-file-utils appstream binutils dpkg-dev file clang libclang-rt-14-dev
  sway swaybg pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk grim
  wl-clipboard xwayland qt6-wayland dbus-daemon dbus-bin passwd procps
  clang-format python3-gi qt6-translations-l10n locales qt6-image-formats-plugins lintian
  gifsicle python3-pil)
# Capture on GNOME Shell and on KDE Plasma's KWin, each run headless with its own screenshot
# portal: the compositors, the portals' back ends, the QML modules KDE's portal builds its
# dialog from, Qt 5's Wayland platform for that portal, KWin's fake-input protocol for the
# test's pointer, and D-Bus and pictures in Python for the tests' own side.
HUESIFT_DESKTOP_PACKAGES=(gnome-shell xdg-desktop-portal-gnome kwin-wayland xdg-desktop-portal-kde
  plasma-workspace qml-module-org-kde-kirigami2 qml-module-qtquick-controls2
  qml-module-qtquick-layouts qml-module-qtquick2 qml-module-qtgraphicaleffects qtwayland5
  plasma-wayland-protocols python3-dbus)
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
