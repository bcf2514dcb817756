// The event handlers of the main window and the table that binds them.
#include "ui/form.h"

namespace {

const EventBinding kBindings[] = {
    {0, 0, nullptr},  // placeholder until handlers are bound
};

}  // namespace

EventHandler FindEventHandler(uint32_t control, int event) {
  for (const EventBinding& b : kBindings)
    if (b.handler && b.control == control && b.event == event) return b.handler;
  return nullptr;
}
