// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/screen_ratio.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>

#ifdef HUESIFT_WAYLAND_OUTPUTS
#include <wayland-client.h>

#include "xdg-output-unstable-v1-client-protocol.h"
#endif

namespace huesift {

int LayoutScale(const WaylandOutput& output) {
  const QSize size = output.logical.size();
  const bool inPixels = size == output.pixels || size == output.pixels.transposed();
  return output.scale > 1 && inPixels ? output.scale : 1;
}

qreal OutputRatio(QSize pixels, QSize logical) {
  // The longer sides: an output turned on its side has its mode the other way round.
  const int device = std::max(pixels.width(), pixels.height());
  const int length = std::max(logical.width(), logical.height());
  if (device <= 0 || length <= 0) return 1;
  const qreal ratio = qreal(device) / length;
  const qreal step = std::round(ratio * 120) / 120;
  // The compositor's logical length is the exact one rounded to a whole number.
  const qreal slack = ratio / length;
  return std::abs(step - ratio) <= slack ? step : ratio;
}

#ifdef HUESIFT_WAYLAND_OUTPUTS
namespace {

struct Output {
  wl_output* output = nullptr;
  zxdg_output_v1* xdg = nullptr;
  WaylandOutput seen;
};

struct Registry {
  zxdg_output_manager_v1* manager = nullptr;
  std::vector<Output*> outputs;
};

void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<Output*>(data)->seen.pixels = {width, height};
}

const wl_output_listener kOutputListener = {
    .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                   const char*, int32_t) {},
    .mode = OnMode,
    .done = [](void*, wl_output*) {},
    .scale = [](void* data, wl_output*,
                int32_t factor) { static_cast<Output*>(data)->seen.scale = factor; },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener kXdgOutputListener = {
    .logical_position =
        [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
          static_cast<Output*>(data)->seen.logical.moveTopLeft({x, y});
        },
    .logical_size =
        [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
          static_cast<Output*>(data)->seen.logical.setSize({width, height});
        },
    .done = [](void*, zxdg_output_v1*) {},
    .name =
        [](void* data, zxdg_output_v1*, const char* name) {
          static_cast<Output*>(data)->seen.name = QString::fromUtf8(name);
        },
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
  auto* r = static_cast<Registry*>(data);
  if (std::string_view(interface) == wl_output_interface.name) {
    auto* o = new Output;
    o->output = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
    wl_output_add_listener(o->output, &kOutputListener, o);
    r->outputs.push_back(o);
  } else if (std::string_view(interface) == zxdg_output_manager_v1_interface.name) {
    r->manager = static_cast<zxdg_output_manager_v1*>(
        wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 2u)));
  }
}

const wl_registry_listener kRegistryListener = {
    .global = OnGlobal,
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

}  // namespace

std::vector<WaylandOutput> WaylandOutputs() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return {};
  Registry r;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &r);
  wl_display_roundtrip(display);
  if (r.manager) {
    for (Output* o : r.outputs) {
      o->xdg = zxdg_output_manager_v1_get_xdg_output(r.manager, o->output);
      zxdg_output_v1_add_listener(o->xdg, &kXdgOutputListener, o);
    }
  }
  wl_display_roundtrip(display);
  std::vector<WaylandOutput> found;
  for (Output* o : r.outputs) {
    if (r.manager && !o->seen.logical.isEmpty() && !o->seen.pixels.isEmpty())
      found.push_back(o->seen);
    if (o->xdg) zxdg_output_v1_destroy(o->xdg);
    wl_output_destroy(o->output);
    delete o;
  }
  if (r.manager) zxdg_output_manager_v1_destroy(r.manager);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return found;
}

#else

std::vector<WaylandOutput> WaylandOutputs() {
  return {};
}

#endif

ScreenArea LogicalScreen(QScreen* screen) {
  if (!screen) return {};
  const QRect geometry = screen->geometry();
  const qreal qt = screen->devicePixelRatio();
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return {geometry, qt};
  // Asked on every paint and pointer move: the compositor is asked again only when the
  // screen has changed.
  struct Known {
    QRect geometry;
    qreal qt;
    ScreenArea area;
  };
  static std::map<QString, Known> known;
  const auto it = known.find(screen->name());
  if (it != known.end() && it->second.geometry == geometry && it->second.qt == qt)
    return it->second.area;
  ScreenArea area{geometry, qt};
  const std::vector<WaylandOutput> outputs = WaylandOutputs();
  for (const WaylandOutput& output : outputs) {
    // Qt's screens are the compositor's outputs, named as the compositor names them; with a
    // scale factor of Qt's own their logical sizes differ, so the pixels are measured against
    // Qt's.
    if (output.name == screen->name() ||
        (output.name.isEmpty() && output.logical.topLeft() == geometry.topLeft())) {
      const int layout = LayoutScale(output);
      area.logical = QRect(geometry.x() / layout, geometry.y() / layout, geometry.width() / layout,
                           geometry.height() / layout);
      area.ratio = OutputRatio(output.pixels, area.logical.size());
      break;
    }
  }
  known[screen->name()] = {geometry, qt, area};
  return area;
}

qreal ScreenPixelRatio(QScreen* screen) {
  return screen ? LogicalScreen(screen).ratio : 1;
}

qreal ScreenPixelRatio(const QWidget* widget) {
  QScreen* screen = widget ? widget->screen() : nullptr;
  return ScreenPixelRatio(screen ? screen : QGuiApplication::primaryScreen());
}

}  // namespace huesift
