// Arbitrary bytes as a configuration file: reading, importing and updating must neither crash
// nor hang, and must keep the file's own invariants.

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "recording_sink.h"
#include "settings/memory_form.h"

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "invariant broken: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ProfileFile file = ProfileFile::fromBytes(bytes);

    // Writing out is stable: what was written reads back into the same text.
    const QByteArray written = file.toBytes();
    check(ProfileFile::fromBytes(written).toBytes() == written, "toBytes is not stable");

    // The import as the file stands, then with a header that lets every row be applied.
    MemoryForm form;
    RecordingSink host;
    host.shown(importConfiguration(form, file));
    file.writeText("!WARNING", "Application", kConfigApplication);
    check(host.shown(importConfiguration(form, file)), "header not accepted");

    // Whole numbers never throw, whatever the value.
    for (const KeyRow& row : keyTable()) {
        (void)file.readNumber(row.section, row.key, 0);
    }

    // An entry written is read back, and no value holds a line break.
    file.writeText("Radio", "Callsign", "SP3\nXYZ");
    check(file.readText("Radio", "Callsign", {}) == "SP3XYZ", "written value not read back");
    for (const KeyRow& row : keyTable()) {
        const QString value = file.readText(row.section, row.key, {});
        check(!value.contains(u'\n') && !value.contains(u'\r'), "line break in a value");
        check(value.size() <= 2 * ProfileFile::kMaxValueLength, "value too long");
    }
    return 0;
}
