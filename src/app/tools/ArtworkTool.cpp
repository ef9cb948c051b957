// hangarix-artwork: writes the pictures that the release files carry, from the same drawing
// code as the window.
//
//   hangarix-artwork --icon FILE    the application icon MAINICON: 32 x 32, 24-bit .ico (Windows)
//   hangarix-artwork --png FILE     the same icon as PNG (the Linux desktop entry's)

#include "app/skin/Artwork.h"

#include <QBuffer>
#include <QFile>

#include <cstring>
#include <iostream>

namespace {

QByteArray png(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const bool ico = argc == 3 && std::strcmp(argv[1], "--icon") == 0;
    if (!ico && !(argc == 3 && std::strcmp(argv[1], "--png") == 0)) {
        std::cerr << "usage: hangarix-artwork --icon FILE | --png FILE\n";
        return 2;
    }
    const QImage icon = hx::app::artwork::appIcon();
    const QByteArray bytes = ico ? hx::app::artwork::iconFile(icon) : png(icon);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        std::cerr << "hangarix-artwork: cannot write " << argv[2] << ": "
                  << file.errorString().toStdString() << "\n";
        file.close();
        file.remove(); // a half-written picture must not count as built
        return 1;
    }
    return 0;
}
