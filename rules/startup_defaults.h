#pragma once

#include "settings/outcome.h"

class Form;

// Puts every setting at its start-up value, in the order of the settings table, running the
// handlers whose effect start-up needs: the position report choices after they are set, the
// telemetry presets once all channel sources are chosen, and each serial port's interlock
// after its role is set. The weather station handler is not run. Returns the boxes the
// interlocks raise on the way (none for the defaults as they are).
Boxes applyStartupDefaults(Form& form);
