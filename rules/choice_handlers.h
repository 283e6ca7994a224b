#pragma once

class Form;

// Enables the Mic-E message with its labels for "Mic-E" and the time stamp choice with its
// label for the other encodings; leaves both alone when no encoding is chosen.
void Position_report_encodingChange(Form& form);

// The position report mode changes nothing else on the page.
void Position_report_modeChange(Form& form);
