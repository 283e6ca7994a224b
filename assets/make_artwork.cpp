// Draws the splash picture and the application icon of the configurator and writes them
// into the folder given as the only argument:
//   splash.jpg          254 x 254, progressive JPEG (written with libjpeg)
//   veltromark-64.png   application icon, 64 x 64
//   veltromark-128.png  application icon, 128 x 128
//   veltromark.ico      the Windows icon: 16, 24, 32, 48, 64, 128 and 256 pixels
//
// Built on request only (target vm_make_artwork); its output is committed under assets/.
//   cmake --build build --target vm_make_artwork && build/app/vm_make_artwork assets

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <vector>

namespace {

const QColor kNight(10, 24, 48);
const QColor kDusk(28, 62, 104);
const QColor kSignal(255, 176, 32);
const QColor kMast(214, 224, 236);

// A lattice mast standing on `base`, `height` tall, with its radiating waves.
void drawAntenna(QPainter& p, QPointF base, double height, double scale) {
    const QPointF top(base.x(), base.y() - height);
    const double half = height * 0.16;
    QPen mast(kMast, 2.2 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mast);
    p.drawLine(QPointF(base.x() - half, base.y()), top);
    p.drawLine(QPointF(base.x() + half, base.y()), top);
    // Cross bracing.
    QPen brace(kMast, 1.1 * scale);
    p.setPen(brace);
    const int sections = 4;
    for (int i = 0; i < sections; ++i) {
        const double y0 = base.y() - height * i / sections;
        const double y1 = base.y() - height * (i + 1) / sections;
        const double w0 = half * (1.0 - double(i) / sections);
        const double w1 = half * (1.0 - double(i + 1) / sections);
        p.drawLine(QPointF(base.x() - w0, y0), QPointF(base.x() + w1, y1));
        p.drawLine(QPointF(base.x() + w0, y0), QPointF(base.x() - w1, y1));
        p.drawLine(QPointF(base.x() - w1, y1), QPointF(base.x() + w1, y1));
    }
    // The radiating tip and its waves.
    p.setPen(Qt::NoPen);
    p.setBrush(kSignal);
    p.drawEllipse(top, 3.2 * scale, 3.2 * scale);
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 3; ++k) {
        QColor c = kSignal;
        c.setAlphaF(1.0 - 0.22 * k);
        p.setPen(QPen(c, 2.0 * scale, Qt::SolidLine, Qt::RoundCap));
        const double r = k * 9.0 * scale;
        const QRectF arc(top.x() - r, top.y() - r, 2 * r, 2 * r);
        p.drawArc(arc, -40 * 16, 80 * 16);
        p.drawArc(arc, 140 * 16, 80 * 16);
    }
}

QImage drawSplash() {
    QImage image(254, 254, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 254);
    sky.setColorAt(0.0, kDusk);
    sky.setColorAt(1.0, kNight);
    p.fillRect(image.rect(), sky);

    // A faint globe grid behind the mast: the reach of a packet radio network.
    QRadialGradient glow(QPointF(127, 92), 120);
    glow.setColorAt(0.0, QColor(60, 120, 190, 90));
    glow.setColorAt(1.0, QColor(60, 120, 190, 0));
    p.fillRect(image.rect(), glow);
    p.setPen(QPen(QColor(120, 170, 220, 60), 1.0));
    p.setBrush(Qt::NoBrush);
    const QRectF globe(47, 12, 160, 160);
    p.drawEllipse(globe);
    for (int k = 1; k <= 3; ++k) {
        const double w = globe.width() * k / 4.0;
        p.drawEllipse(QRectF(globe.center().x() - w / 2, globe.top(), w, globe.height()));
        const double y = globe.top() + globe.height() * k / 4.0;
        const double dy = y - globe.center().y();
        const double hw = std::sqrt(80.0 * 80.0 - dy * dy);
        p.drawLine(QPointF(globe.center().x() - hw, y), QPointF(globe.center().x() + hw, y));
    }

    // Ground line with a small tracker box at the mast's foot.
    p.setPen(QPen(QColor(120, 150, 190), 1.0));
    p.drawLine(QPointF(40, 150), QPointF(214, 150));
    drawAntenna(p, QPointF(127, 150), 96, 1.0);
    p.setPen(QPen(kMast, 1.2));
    p.setBrush(QColor(40, 80, 130));
    p.drawRoundedRect(QRectF(146, 134, 34, 16), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 230, 120));
    p.drawEllipse(QPointF(152, 142), 2.0, 2.0);
    p.setBrush(kSignal);
    p.drawEllipse(QPointF(159, 142), 2.0, 2.0);

    // Names.
    QFont title("DejaVu Sans", 20, QFont::Bold);
    title.setPixelSize(27);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 160, 254, 32), Qt::AlignCenter, "Veltromark");
    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(17);
    p.setFont(subtitle);
    p.setPen(QColor(200, 215, 235));
    p.drawText(QRectF(0, 190, 254, 22), Qt::AlignCenter, "Configurator");
    QFont small("DejaVu Sans");
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(kSignal);
    p.drawText(QRectF(0, 214, 254, 16), Qt::AlignCenter, "APRS tracker & digipeater");
    p.setPen(QColor(150, 170, 200));
    p.drawText(QRectF(0, 234, 246, 16), Qt::AlignRight | Qt::AlignVCenter, "v1.07");

    p.setPen(QPen(QColor(90, 120, 160), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 253, 253));
    return image;
}

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    QLinearGradient bg(0, 0, 0, size);
    bg.setColorAt(0.0, kDusk);
    bg.setColorAt(1.0, kNight);
    p.setPen(QPen(QColor(120, 160, 210), 1.5 * s));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 60 * s, 60 * s), 12 * s, 12 * s);
    drawAntenna(p, QPointF(32 * s, 54 * s), 36 * s, s);
    return image;
}

// Writes `image` as a progressive JPEG through libjpeg's compression API.
bool writeProgressiveJpeg(const QImage& image, const char* path, int quality) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<JSAMPLE> row(static_cast<size_t>(rgb.width()) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uchar* line = rgb.constScanLine(static_cast<int>(cinfo.next_scanline));
        std::copy(line, line + row.size(), row.begin());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

// An ICO file whose images are PNG streams, as Windows reads them since Vista. Written here:
// Qt's ICO writer stores one image per file.
bool writeIco(const QString& path, const std::vector<int>& sizes) {
    QByteArray header;
    QByteArray images;
    const auto u16 = [](QByteArray& out, int v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto u32 = [&u16](QByteArray& out, int v) {
        u16(out, v & 0xFFFF);
        u16(out, (v >> 16) & 0xFFFF);
    };
    u16(header, 0);  // reserved
    u16(header, 1);  // an icon
    u16(header, static_cast<int>(sizes.size()));
    int offset = 6 + 16 * static_cast<int>(sizes.size());
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!drawIcon(size).save(&buffer, "PNG")) {
            return false;
        }
        header += static_cast<char>(size >= 256 ? 0 : size);  // 0 stands for 256
        header += static_cast<char>(size >= 256 ? 0 : size);
        header += '\0';  // no palette
        header += '\0';
        u16(header, 1);   // planes
        u16(header, 32);  // bits per pixel
        u32(header, static_cast<int>(png.size()));
        u32(header, offset);
        offset += static_cast<int>(png.size());
        images += png;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header + images) == offset && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray splash = (folder + "/splash.jpg").toLocal8Bit();
    if (!writeProgressiveJpeg(drawSplash(), splash.constData(), 90)) {
        std::fprintf(stderr, "cannot write %s\n", splash.constData());
        return 1;
    }
    for (int size : {64, 128}) {
        const QString path = QString("%1/veltromark-%2.png").arg(folder).arg(size);
        if (!drawIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString ico = folder + "/veltromark.ico";
    if (!writeIco(ico, {16, 24, 32, 48, 64, 128, 256})) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico));
        return 1;
    }
    return 0;
}
