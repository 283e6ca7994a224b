#include "rules/choice_handlers.h"

#include "settings/form.h"

void Position_report_encodingChange(Form& form) {
    const int encoding = form.index("Position_report_encoding");
    if (encoding < 0) {
        return;
    }
    const bool mice = encoding == 0;
    for (const char* name : {"Label67", "Label53", "Mice_message"}) {
        form.setEnabled(name, mice);
    }
    for (const char* name : {"Label74", "Position_time"}) {
        form.setEnabled(name, !mice);
    }
}

void Position_report_modeChange(Form&) {}
