#include "app/skin/PictureBox.h"

#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"

#include <QPainter>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace hx::app {

namespace {

std::string extensionOf(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    const auto sep = path.find_last_of("/\\");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return {};
    return path.substr(dot + 1);
}

} // namespace

QImage loadPictureFile(const std::string& path)
{
    const std::string ext = extensionOf(path);
    const std::string kind = platform::lowerAscii(ext);
    const char* format = nullptr;
    if (kind == "jpg" || kind == "jpeg")
        format = "JPG";
    else if (kind == "bmp")
        format = "BMP";
    else
        throw PictureError("Unknown picture file extension (." + ext + ")");

    std::ifstream in(platform::resolvePath(path), std::ios::binary);
    if (!in || platform::folderExists(path)) {
        const int err = platform::folderExists(path) ? EISDIR : errno;
        throw IoError("Cannot open file \"" + path + "\". " + std::strerror(err));
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), format))
        throw PictureError("Cannot read the picture in file \"" + path + "\"");
    return image;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), picture_);
}

} // namespace hx::app
