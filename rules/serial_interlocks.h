#pragma once

#include "settings/outcome.h"

class Form;

// Keep the roles of the two RS-232 ports consistent. Each handler judges its own port
// against the other port and the weather station choice, changes one role when a rule is
// broken (without running the other port's handler) and returns the information boxes that
// explain why, in the order they are to be shown.
Boxes Serial1_modeChange(Form& form);
Boxes Serial2_modeChange(Form& form);

// Runs Serial1_modeChange and then Serial2_modeChange.
Boxes Weather_stationtypeChange(Form& form);
