#include "tests/support/DesktopDetail.h"

#include <stdexcept>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fegolin::test::detail {
namespace {

// Windows come and go while a test looks at them; a request about one that
// has just gone fails, and the query answers "nothing" instead of Xlib's
// default of ending the process.
int IgnoreXError(Display* /*display*/, XErrorEvent* /*error*/) {
  return 0;
}

// Frees what Xlib hands out.
struct XFreeDeleter {
  void operator()(void* data) const {
    if (data != nullptr) {
      XFree(data);
    }
  }
};
using XData = std::unique_ptr<unsigned char, XFreeDeleter>;

struct Property {
  XData data;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0;
};

std::optional<Property> ReadProperty(Display* display, WindowId window, const char* name) {
  const Atom atom = XInternAtom(display, name, True);
  if (atom == 0) {
    return std::nullopt;
  }
  Property property;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, atom, 0, 1024, False, AnyPropertyType, &property.type,
                         &property.format, &property.items, &remaining, &data) != Success) {
    return std::nullopt;
  }
  property.data.reset(data);
  if (property.type == 0) {
    return std::nullopt;
  }
  return property;
}

std::uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) {
    return 0;
  }
  int shift = 0;
  while (((mask >> shift) & 1UL) == 0) {
    ++shift;
  }
  const unsigned long max = mask >> shift;
  return static_cast<std::uint32_t>((((pixel & mask) >> shift) * 255UL) / max);
}

} // namespace

XConnection::XConnection(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
  if (display_ == nullptr) {
    throw std::runtime_error("cannot connect to the X display " + display);
  }
  XSetErrorHandler(IgnoreXError);
}

XConnection::~XConnection() {
  XCloseDisplay(display_);
}

WindowId XConnection::root() const {
  return XDefaultRootWindow(display_);
}

bool XConnection::selectionOwned(const char* selection) const {
  return XGetSelectionOwner(display_, XInternAtom(display_, selection, False)) != 0;
}

std::vector<WindowId> XConnection::children(WindowId parent) const {
  Window rootReturn = 0;
  Window parentReturn = 0;
  Window* list = nullptr;
  unsigned int count = 0;
  std::vector<WindowId> result;
  if (XQueryTree(display_, parent, &rootReturn, &parentReturn, &list, &count) != 0) {
    result.assign(list, list + count);
  }
  XData release(reinterpret_cast<unsigned char*>(list));
  return result;
}

std::vector<WindowId> XConnection::subtree(WindowId top) const {
  std::vector<WindowId> result{top};
  for (std::size_t next = 0; next < result.size(); ++next) {
    const auto below = children(result[next]);
    result.insert(result.end(), below.begin(), below.end());
  }
  return result;
}

bool XConnection::hasProperty(WindowId window, const char* name) const {
  return ReadProperty(display_, window, name).has_value();
}

std::string XConnection::title(WindowId window) const {
  for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
    if (auto property = ReadProperty(display_, window, name); property && property->format == 8) {
      return {reinterpret_cast<const char*>(property->data.get()), property->items};
    }
  }
  return {};
}

pid_t XConnection::pid(WindowId window) const {
  const auto property = ReadProperty(display_, window, "_NET_WM_PID");
  if (!property || property->format != 32 || property->items == 0) {
    return 0;
  }
  // Xlib hands 32-bit items out as longs.
  return static_cast<pid_t>(*reinterpret_cast<const long*>(property->data.get()));
}

std::pair<std::string, std::string> XConnection::windowClass(WindowId window) const {
  XClassHint hint{};
  if (XGetClassHint(display_, window, &hint) == 0) {
    return {};
  }
  std::pair<std::string, std::string> result{hint.res_name != nullptr ? hint.res_name : "",
                                             hint.res_class != nullptr ? hint.res_class : ""};
  XData name(reinterpret_cast<unsigned char*>(hint.res_name));
  XData cls(reinterpret_cast<unsigned char*>(hint.res_class));
  return result;
}

std::pair<int, int> XConnection::pointer() const {
  Window rootReturn = 0;
  Window child = 0;
  int x = 0;
  int y = 0;
  int windowX = 0;
  int windowY = 0;
  unsigned int mask = 0;
  XQueryPointer(display_, root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &mask);
  return {x, y};
}

bool XConnection::viewable(WindowId window) const {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

std::optional<ScreenRect> XConnection::geometry(WindowId window) const {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window, &attributes) == 0) {
    return std::nullopt;
  }
  int x = 0;
  int y = 0;
  Window child = 0;
  if (XTranslateCoordinates(display_, window, root(), 0, 0, &x, &y, &child) == 0) {
    return std::nullopt;
  }
  return ScreenRect{x, y, attributes.width, attributes.height};
}

void XConnection::activate(WindowId window) const {
  XRaiseWindow(display_, window);
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XSync(display_, False);
}

void XConnection::close(WindowId window) const {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XSync(display_, False);
}

std::uint32_t XConnection::pixel(int x, int y) const {
  XImage* image = XGetImage(display_, root(), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) {
    throw std::runtime_error("cannot read the screen at " + std::to_string(x) + "," +
                             std::to_string(y));
  }
  const unsigned long value = XGetPixel(image, 0, 0);
  const Visual* visual = XDefaultVisual(display_, XDefaultScreen(display_));
  const std::uint32_t rgb = (Channel(value, visual->red_mask) << 16) |
                            (Channel(value, visual->green_mask) << 8) |
                            Channel(value, visual->blue_mask);
  XDestroyImage(image);
  return rgb;
}

} // namespace fegolin::test::detail
