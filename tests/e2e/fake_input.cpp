// SPDX-License-Identifier: GPL-3.0-or-later
// A pointer and keyboard for the KDE end-to-end test, through KWin's fake-input protocol,
// which KWin offers only to an executable that a desktop entry names with
// X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input. It takes the commands of
// pointer_commands.h; move counts in steps. Arguments: the steps across and down, and the
// desktop's logical width and height.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fake-input-client-protocol.h"
#include "pointer_commands.h"

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

}  // namespace

int main(int argc, char** argv) {
  using namespace huesift::e2e;
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s STEPS_ACROSS STEPS_DOWN WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  const double steps[2] = {std::atof(argv[1]), std::atof(argv[2])};
  const double size[2] = {std::atof(argv[3]), std::atof(argv[4])};
  wl_display* display = ConnectWithGlobals("fake_input", &kRegistryListener);
  if (!display) return 1;
  if (!g_input) {
    std::fprintf(stderr, "fake_input: org_kde_kwin_fake_input not offered (no desktop entry?)\n");
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(g_input, "huesift e2e", "the end-to-end test's pointer");
  wl_display_roundtrip(display);

  PointerActions act;
  act.move = [&](double x, double y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(g_input,
                                                    wl_fixed_from_double(x / steps[0] * size[0]),
                                                    wl_fixed_from_double(y / steps[1] * size[1]));
  };
  act.button = [](uint32_t button, bool down) {
    org_kde_kwin_fake_input_button(
        g_input, button, down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
  };
  act.key = [](uint32_t code, bool down) {
    org_kde_kwin_fake_input_keyboard_key(
        g_input, code, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
  };
  const int status = ServeCommands("fake_input", display, act);
  wl_display_disconnect(display);
  return status;
}
