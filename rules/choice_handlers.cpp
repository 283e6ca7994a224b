#include "rules/choice_handlers.h"

#include "settings/form.h"

void Position_report_encodingChange(Form& form) {
    const int encoding = form.index("Position_report_encoding");
    if (encoding < 0) {
        return;
    }
    const bool mice = encoding == 0;
    for (const char* name : {"Label_mice", "Label_mice_message", "Mice_message"}) {
        form.setEnabled(name, mice);
    }
    for (const char* name : {"Label_position_time", "Position_time"}) {
        form.setEnabled(name, !mice);
    }
}

void Position_report_modeChange(Form&) {}
