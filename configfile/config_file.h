#pragma once

#include <QString>
#include <string>
#include <vector>

#include "settings/outcome.h"

class Form;
class OutputFile;
class ProfileFile;

// Saving the settings to a configuration file and loading them from one. Neither touches the
// device, the configuration image or the activity log, and neither says anything on success.

// Writes every entry of the key table, in step order, into the file at `path`, keeping what
// the file already holds besides them. Every number field is converted before anything is
// written, and the file is replaced as a whole only once it is complete, so a failed export
// leaves the file as it was.
// - A number field that is not a whole number throws ConversionError (for the caller's error
//   box) and writes nothing.
// - A file that cannot be read back or written fails with "Unable to write to <full path>.",
//   shown in the application's error box.
Outcome exportConfiguration(const Form& form, const QString& path);

// The same export made ready in `out` (not yet open) without replacing its target, for a
// caller that puts several files in place together (see commitAll). On failure `out` holds
// nothing.
Outcome prepareExport(const Form& form, OutputFile& out);

// The entries of the key table written into `file`, in step order, as successive writes would
// leave it. Throws ConversionError for a number field that is not a whole number.
void writeEntries(const Form& form, ProfileFile& file);

// A value of a configuration file that the import could not take as written, so that the
// setting got the entry's default instead: a number that is not a whole number ("5OO",
// "500 ms"), an item index outside its list, an entry hidden by a damaged section or key
// line ("[Ra\0dio]"), or a key that is not in the file at all.
struct UnreadValue {
    std::string setting;  // the setting that got the default
    int lineNumber = 0;   // the file's line that holds the value, from 1; 0 for a missing key
    // What the file holds and why it was not taken, with the line and the default used, e.g.
    // "line 9: TXdelay=5OO is not a whole number; the default 250 is used instead." or
    // "[Radio] TXdelay is not in the file; the default 250 is used instead." Control
    // characters are written out visibly (\x1B).
    QString text;
    // A key missing from a file of another version, which may lack it by design; a key missing
    // from a file of the program's own version (whose export writes every key) means the file
    // was cut short or edited, and is not expected.
    bool expected = false;

    // The setting's name for people, then the text: the line that `check` prints and "Read from
    // file" logs.
    QString line() const;

    bool operator==(const UnreadValue&) const = default;
};

// True when the values in `unread` leave a file that must not be written to a tracker (or
// encoded) as it is: any one of them but the keys a file of another version may lack.
bool refusesWrite(const std::vector<UnreadValue>& unread);

// An import's outcome, with the values it could not take, in the order of the entries.
struct ImportOutcome : Outcome {
    std::vector<UnreadValue> unread;
};

// Loads the configuration file at `path` into the form. A file that is missing, unreadable or
// not a regular file reads as empty. Fails (with an information box saying why) when the file
// is not a Veltromark configuration file, or far too large (over 16 MiB) to be one; then no
// setting changes. The serial port rules run on the way; their boxes come with the outcome.
// A value that cannot be taken as written gives the entry's default and is listed in `unread`;
// an index of -1 is taken as written, "no item", as the export writes it.
ImportOutcome importConfiguration(Form& form, const QString& path);

// The same for a file already read.
ImportOutcome importConfiguration(Form& form, const ProfileFile& file);
