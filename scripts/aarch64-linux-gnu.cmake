# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling the engine and its tests for 64-bit ARM with Debian's cross compiler; the
# tests run under qemu's user-mode emulation, with the target's libraries from its sysroot.
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=scripts/aarch64-linux-gnu.cmake \
#     -DHUESIFT_ENGINE_ONLY=ON -DHUESIFT_GTEST_SOURCE=/usr/src/googletest
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
# Libraries of other Debian architectures (libdeflate-dev:arm64) live in the host's multiarch
# folders: the host's root is searched too, in aarch64-linux-gnu's folders.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
list(APPEND CMAKE_FIND_ROOT_PATH /)
