#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <stdexcept>

// A JPEG picture that libjpeg could not decode.
class JpegError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decodes a baseline or progressive JPEG held in memory with libjpeg's decompression API.
// Gray and colour pictures give an RGB32 image; anything libjpeg rejects throws JpegError
// with libjpeg's message.
QImage decodeJpeg(const QByteArray& data);
