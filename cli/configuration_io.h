#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "configfile/config_file.h"
#include "operations/config_transfer.h"

class CliSink;
class Form;
class MemoryForm;
class OutputFile;
struct Invocation;

// How the configuration commands load and save settings: as the window's "Read from file",
// "Read config" and "Save to file" do, with what goes wrong said as the tool says it.

// The settings as the window holds them right after start-up.
std::unique_ptr<MemoryForm> startupForm(CliSink& sink);

// "Read from file" from `path`. A file that cannot be read is said so plainly instead of as
// "not a Veltromark configuration file". What of the file the import could not take goes to
// `unread`, when given, and is otherwise said, also with --quiet: it is a problem, not
// progress.
bool loadConfiguration(CliSink& sink, MemoryForm& form, const QString& path,
                       std::vector<UnreadValue>* unread = nullptr);

// "Read from file" for a write (write-config, encode): every value the file could not give is
// said, also with --quiet, and unless --accept-defaults any but the keys a file of another
// version may lack stops the command before anything is written.
bool loadForWrite(Invocation& in, MemoryForm& form);

// "Save to file" into `out`, not yet put in place. A file that cannot be written is said as
// every output of the tool says it, in place of the window's error box.
bool prepareConfiguration(CliSink& sink, const Form& form, OutputFile& out);

// "Save to file" to `path`, put in place at once.
bool saveConfiguration(CliSink& sink, const Form& form, const QString& path);

// "Read config" from an image file: its size, checksum and end marker checked first.
bool loadImage(CliSink& sink, MemoryForm& form, const QString& path);

// One side of "diff": the tracker, an image (a .bin file, or a file that holds one) or a
// configuration file, each onto the start-up settings. What a configuration file could not
// give goes to `unread`, when given.
bool loadSide(Invocation& in, MemoryForm& form, const QString& side,
              std::vector<UnreadValue>* unread = nullptr);

// Where the tool keeps the backups made before a write, and how it tells the user to write
// one back ("veltromark-cli restore <file>").
BackupPlan toolBackups();
