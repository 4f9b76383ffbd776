// SPDX-License-Identifier: GPL-3.0-or-later
// A pointer for the KDE end-to-end test, through KWin's fake-input protocol, which KWin
// offers only to an executable that a desktop entry names with
// X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input. It takes the same commands as the
// wlroots pointer (virtual_pointer.cpp), one a line on standard input:
//   move X Y        the pointer to (X, Y), in steps of the desktop's width and height
//   press N         button N down (1 left, 2 middle, 3 right)
//   release N       button N up
//   key CODE 1|0    a key (a Linux input event code) down or up
// and answers each with "ok" once the compositor has taken it. Arguments: the steps across
// and down, and the desktop's logical width and height.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "fake-input-client-protocol.h"

namespace {

org_kde_kwin_fake_input* g_input = nullptr;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  // Absolute motion came with version 3, keys with 4.
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    g_input = static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

uint32_t ButtonCode(int n) {
  return n == 1 ? BTN_LEFT : n == 2 ? BTN_MIDDLE : BTN_RIGHT;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s STEPS_ACROSS STEPS_DOWN WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  const double steps[2] = {std::atof(argv[1]), std::atof(argv[2])};
  const double size[2] = {std::atof(argv[3]), std::atof(argv[4])};
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "fake_input: no Wayland display\n");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (!g_input) {
    std::fprintf(stderr, "fake_input: org_kde_kwin_fake_input not offered (no desktop entry?)\n");
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(g_input, "huesift e2e", "the end-to-end test's pointer");
  wl_display_roundtrip(display);
  std::cout << "ready" << std::endl;

  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
      double x = 0, y = 0;
      words >> x >> y;
      org_kde_kwin_fake_input_pointer_motion_absolute(g_input,
                                                      wl_fixed_from_double(x / steps[0] * size[0]),
                                                      wl_fixed_from_double(y / steps[1] * size[1]));
    } else if (command == "press" || command == "release") {
      int n = 1;
      words >> n;
      org_kde_kwin_fake_input_button(
          g_input, ButtonCode(n),
          command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (command == "key") {
      uint32_t code = 0, down = 0;
      words >> code >> down;
      org_kde_kwin_fake_input_keyboard_key(
          g_input, code, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    } else {
      std::cout << "unknown command" << std::endl;
      continue;
    }
    if (wl_display_roundtrip(display) < 0) {
      std::fprintf(stderr, "fake_input: the compositor went away\n");
      return 1;
    }
    std::cout << "ok" << std::endl;
  }
  wl_display_disconnect(display);
  return 0;
}
