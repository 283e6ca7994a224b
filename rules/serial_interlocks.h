#pragma once

class Form;
class Host;

// Keep the roles of the two RS-232 ports consistent. Each handler judges its own port
// against the other port and the weather station choice, changes one role when a rule is
// broken (without running the other port's handler) and then explains why in an
// information box.
void Serial1_modeChange(Form& form, Host& host);
void Serial2_modeChange(Form& form, Host& host);

// Runs Serial1_modeChange and then Serial2_modeChange.
void Weather_stationtypeChange(Form& form, Host& host);
