#pragma once

class Form;

// "Default parameters" of analog channel `channel` (1 to 5): name, units, coefficients A, B
// and C suited to the channel's chosen source, and the 1 minute average switched off. Does
// nothing when no source is chosen.
void applyAnalogPreset(Form& form, int channel);

// "Default parameters" of digital channel `channel` (1 to 8): name, label and inverted
// suited to the channel's chosen source. Does nothing when no source is chosen.
void applyDigitalPreset(Form& form, int channel);
