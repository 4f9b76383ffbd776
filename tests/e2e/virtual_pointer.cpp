// SPDX-License-Identifier: GPL-3.0-or-later
// A pointer for the Wayland end-to-end test. The headless compositor's seat has no pointer of
// its own; this client makes one with the wlroots virtual-pointer protocol and moves and
// presses it as told: the commands of pointer_commands.h without keys; move counts in the
// output's pixels. Arguments: the output's width and height.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pointer_commands.h"
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

}  // namespace

int main(int argc, char** argv) {
  using namespace huesift::e2e;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_WIDTH OUTPUT_HEIGHT\n", argv[0]);
    return 2;
  }
  const auto width = static_cast<uint32_t>(std::atoi(argv[1]));
  const auto height = static_cast<uint32_t>(std::atoi(argv[2]));
  wl_display* display = ConnectWithGlobals("virtual_pointer", &kRegistryListener);
  if (!display) return 1;
  if (!g_manager) {
    std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_manager, g_seat);
  wl_display_roundtrip(display);

  PointerActions act;
  act.move = [&](double x, double y) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), static_cast<uint32_t>(x),
                                            static_cast<uint32_t>(y), width, height);
  };
  act.button = [&](uint32_t button, bool down) {
    zwlr_virtual_pointer_v1_button(
        pointer, Now(), button,
        down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
  };
  act.frame = [&] { zwlr_virtual_pointer_v1_frame(pointer); };
  const int status = ServeCommands("virtual_pointer", display, act);
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return status;
}
