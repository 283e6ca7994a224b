#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

#include "image/image.h"

// A configuration given by a path is either a configuration image or a configuration file. It
// is read as an image when it is named *.bin, or when it holds one: the image's 8192 bytes
// with its checksum and end marker right (a configuration file of that size is text and fails
// the checksum). Anything else is read as a configuration file.
bool isConfigImageFile(const QString& path);

// The configuration image in `bytes`, read from the file at `path` to one byte past an image;
// nothing, with `*why` saying so, when they are not one: "<path> is 8191 bytes; a
// configuration image is 8192 bytes." or "<path>: image checksum or end marker wrong; not a
// configuration image.".
std::optional<ConfigImage> configImageOf(QByteArrayView bytes, const QString& path, QString* why);
