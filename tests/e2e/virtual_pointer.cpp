// SPDX-License-Identifier: GPL-3.0-or-later
// A pointer for the Wayland end-to-end test. The headless compositor's seat has no pointer of
// its own; this client makes one with the wlroots virtual-pointer protocol and moves and
// presses it as told on standard input, one command a line:
//   move X Y        the pointer to (X, Y) of the output, in its pixels
//   press N         button N down (1 left, 2 middle, 3 right)
//   release N       button N up
// Each command is answered with "ok" once the compositor has taken it.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

wl_seat* g_seat = nullptr;
zwlr_virtual_pointer_manager_v1* g_manager = nullptr;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g_seat) {
    g_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    g_manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

uint32_t Now() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t ButtonCode(int n) {
  return n == 1 ? BTN_LEFT : n == 2 ? BTN_MIDDLE : BTN_RIGHT;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_WIDTH OUTPUT_HEIGHT\n", argv[0]);
    return 2;
  }
  const auto width = static_cast<uint32_t>(std::atoi(argv[1]));
  const auto height = static_cast<uint32_t>(std::atoi(argv[2]));
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (!g_manager) {
    std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_manager, g_seat);
  wl_display_roundtrip(display);
  std::cout << "ready" << std::endl;

  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
      uint32_t x = 0, y = 0;
      words >> x >> y;
      zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), x, y, width, height);
    } else if (command == "press" || command == "release") {
      int n = 1;
      words >> n;
      zwlr_virtual_pointer_v1_button(
          pointer, Now(), ButtonCode(n),
          command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      std::cout << "unknown command" << std::endl;
      continue;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) {
      std::fprintf(stderr, "virtual_pointer: the compositor went away\n");
      return 1;
    }
    std::cout << "ok" << std::endl;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return 0;
}
