// hangarix-artwork: writes the pictures that the Windows build embeds as resources, from the
// same drawing code as the window.
//
//   hangarix-artwork --icon FILE    the application icon MAINICON: 32 x 32, 24-bit .ico

#include "app/Artwork.h"

#include <QFile>

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--icon") != 0) {
        std::cerr << "usage: hangarix-artwork --icon FILE\n";
        return 2;
    }
    const QByteArray ico = hx::app::artwork::iconFile(hx::app::artwork::appIcon());
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(ico) != ico.size() ||
        !file.flush()) {
        std::cerr << "hangarix-artwork: cannot write " << argv[2] << ": "
                  << file.errorString().toStdString() << "\n";
        file.close();
        file.remove(); // a half-written icon must not count as built
        return 1;
    }
    return 0;
}
