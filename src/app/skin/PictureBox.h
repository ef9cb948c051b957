#pragma once
// A picture control: shows a picture at its own size from the top-left corner, neither scaled
// nor centred, so a larger picture is cut off at the right and bottom.

#include "platform/Errors.h"

#include <QImage>
#include <QWidget>

#include <string>

namespace hx::app {

// A picture file that cannot be decoded, or whose extension names no decoder.
class PictureError : public Error {
public:
    using Error::Error;
};

// Loads a picture file; the decoder is chosen by the extension (".jpg" and ".jpeg" for JPEG,
// ".bmp" for bitmaps, any case). Throws PictureError("Unknown picture file extension (.ext)")
// for another extension, IoError("Cannot open file \"path\". reason") when the file cannot be
// opened, and PictureError when its content cannot be decoded.
QImage loadPictureFile(const std::string& path);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // Loads the file and shows it; on an error the picture shown before stays.
    void loadFromFile(const std::string& path) { setPicture(loadPictureFile(path)); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace hx::app
