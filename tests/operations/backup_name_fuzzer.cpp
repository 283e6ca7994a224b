// Reads arbitrary bytes as the name of a file in the backups folder: the name parser and the
// listing may neither crash nor disagree. A name the program writes for a parsed backup parses
// back to itself, and the listing holds the file exactly when the parser takes its name.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "operations/config_backup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const QString name = QString::fromUtf8(QByteArrayView(data, static_cast<qsizetype>(size)));
    const std::optional<Backup> parsed = parseBackupName(name);
    const QString written = parsed ? parsed->fileName() : QString();
    bool sound = !parsed || parseBackupName(written).value_or(Backup{}).fileName() == written;
    // Where the file system can hold the name as one file.
    QFile file(QDir(folder.path()).filePath(name));
    if (!name.contains(u'/') && !name.contains(QChar(0)) && file.open(QIODevice::WriteOnly)) {
        const std::vector<Backup> listed = listBackups(folder.path());
        file.remove();
        sound = sound && listed.size() == (parsed ? 1u : 0u) &&
                (listed.empty() || listed[0].fileName() == written);
    }
    if (!sound) {
        std::abort();
    }
    return 0;
}
