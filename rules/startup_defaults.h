#pragma once

class Form;
class Host;

// Puts every setting at its start-up value, in the order of the settings table, running the
// handlers whose effect start-up needs: the position report choices after they are set, the
// telemetry presets once all channel sources are chosen, and each serial port's interlock
// after its role is set. The weather station handler is not run.
void applyStartupDefaults(Form& form, Host& host);
