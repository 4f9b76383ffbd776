// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests' two pointer tools share (one for wlroots' virtual-pointer
// protocol, one for KWin's fake input): the connection with its globals bound, and the
// commands they take, one a line on standard input:
//   move X Y        the pointer to (X, Y), in the units each tool's arguments set
//   press N         button N down (1 left, 2 middle, 3 right)
//   release N       button N up
//   key CODE 1|0    a key (a Linux input event code) down or up, where the protocol has keys
// Each is answered with "ok" once the compositor has taken it.
#pragma once

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

namespace huesift::e2e {

// The compositor's display after one round trip, by which the listener has bound the globals
// it wants; nullptr, said on standard error, when there is no compositor.
inline wl_display* ConnectWithGlobals(const char* tool, const wl_registry_listener* listener) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "%s: no Wayland display\n", tool);
    return nullptr;
  }
  wl_registry_add_listener(wl_display_get_registry(display), listener, nullptr);
  wl_display_roundtrip(display);
  return display;
}

inline std::uint32_t ButtonCode(int n) {
  return n == 1 ? BTN_LEFT : n == 2 ? BTN_MIDDLE : BTN_RIGHT;
}

struct PointerActions {
  std::function<void(double x, double y)> move;
  std::function<void(std::uint32_t button, bool down)> button;
  std::function<void(std::uint32_t code, bool down)> key;  // empty: no keys
  std::function<void()> frame;                             // empty: none to end a command
};

// Says "ready", then serves commands until standard input ends: 0, or 1 when the compositor
// went away.
inline int ServeCommands(const char* tool, wl_display* display, const PointerActions& act) {
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
      double x = 0, y = 0;
      words >> x >> y;
      act.move(x, y);
    } else if (command == "press" || command == "release") {
      int n = 1;
      words >> n;
      act.button(ButtonCode(n), command == "press");
    } else if (command == "key" && act.key) {
      std::uint32_t code = 0, down = 0;
      words >> code >> down;
      act.key(code, down != 0);
    } else {
      std::cout << "unknown command" << std::endl;
      continue;
    }
    if (act.frame) act.frame();
    if (wl_display_roundtrip(display) < 0) {
      std::fprintf(stderr, "%s: the compositor went away\n", tool);
      return 1;
    }
    std::cout << "ok" << std::endl;
  }
  return 0;
}

}  // namespace huesift::e2e
