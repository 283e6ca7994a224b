#pragma once

#include <QString>

class Form;
class Host;
class OutputFile;
class ProfileFile;

// Saving the settings to a configuration file and loading them from one. Neither touches the
// device, the configuration image or the activity log, and neither says anything on success.

// "Save to file": asks for a path and exports to it.
void Button_save_to_fileClick(Form& form, Host& host);

// Writes every entry of the key table, in step order, into the file at `path`, keeping what
// the file already holds besides them. Every number field is converted before anything is
// written, and the file is replaced as a whole only once it is complete, so a failed export
// leaves the file as it was.
// - A number field that is not a whole number throws ConversionError (for the caller's error
//   box) and writes nothing.
// - A file that cannot be read back or written shows "Unable to write to <full path>." in the
//   application's error box and returns false.
bool exportConfiguration(const Form& form, Host& host, const QString& path);

// The same export made ready in `out` (not yet open) without replacing its target, for a
// caller that puts several files in place together (see commitAll). On failure the error box
// has been shown and `out` holds nothing.
bool prepareExport(const Form& form, Host& host, OutputFile& out);

// The entries of the key table written into `file`, in step order, as successive writes would
// leave it. Throws ConversionError for a number field that is not a whole number.
void writeConfiguration(const Form& form, ProfileFile& file);

// "Read from file": asks for a path and imports from it.
void Button_read_from_fileClick(Form& form, Host& host);

// Loads the configuration file at `path` into the form. A file that is missing, unreadable or
// not a regular file reads as empty. Returns false (after telling the user) when the file is
// not a Veltromark configuration file, or far too large (over 16 MiB) to be one; then no
// setting changes.
bool importConfiguration(Form& form, Host& host, const QString& path);

// The same for a file already read.
bool importConfiguration(Form& form, Host& host, const ProfileFile& file);
