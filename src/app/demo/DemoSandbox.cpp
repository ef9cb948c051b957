#include "app/demo/DemoSandbox.h"

#include "packages/PackageInfo.h"
#include "server/FolderServer.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace hx::app {

namespace {

struct Livery {
    const char* package; // package folder name
    const char* texture; // texture suffix: the folder is "texture." + this
    const char* product; // productfolder= value
    const char* title;
    const char* variation;
    const char* atcId;
    const char* description;
    QColor body, stripe, tail;
};

const char* const kA320 = "A320";
const char* const kB737 = "B737-200";

// Installed with the sandbox.
const Livery kInstalled[] = {
    {"House", "House", kA320, "KZQ A320 House Colours", "House Colours", "N320KZ",
     "The maker's own colours.", QColor(245, 247, 250), QColor(62, 113, 148), QColor(62, 113, 148)},
    {"Classic", "Classic", kA320, "KZQ A320 Classic", "Classic", "N321KZ",
     "The first colours of the type.", QColor(236, 236, 230), QColor(180, 40, 40),
     QColor(180, 40, 40)},
    {"House", "House", kB737, "KZQ 737-200 House Colours", "House Colours", "N737KZ",
     "The maker's own colours.", QColor(245, 247, 250), QColor(62, 113, 148), QColor(62, 113, 148)},
};

// Local packages in downloads.
const Livery kLocal[] = {
    {"PolarWhite", "PolarWhite", kA320, "KZQ A320 Polar White", "Polar White", "N322PW",
     "All white with a thin blue cheatline.", QColor(252, 252, 252), QColor(40, 90, 170),
     QColor(40, 90, 170)},
    {"Sunset", "Sunset", kA320, "KZQ A320 Sunset Airways", "Sunset Airways", "N323SA",
     "Warm orange tail over a cream body.", QColor(250, 240, 220), QColor(235, 120, 40),
     QColor(225, 90, 40)},
    {"DesertSun", "DesertSun", kB737, "KZQ 737-200 Desert Sun", "Desert Sun", "N738DS",
     "Sand and gold for the long haul.", QColor(240, 228, 200), QColor(196, 150, 60),
     QColor(160, 110, 40)},
};

struct Archive {
    const char* file; // archive file name (without .zip)
    const char* name; // display name in the catalogue
    std::vector<Livery> packages;
};

struct Product {
    const char* name;
    const char* listFile;
    std::vector<Archive> archives;
};

const std::vector<Product>& demoCatalogue()
{
    static const std::vector<Product> products = {
        {"KZQ A320-200",
         "a320/liveries.txt",
         {
             {"a320_midnight",
              "Midnight Blue",
              {{"MidnightBlue", "MidnightBlue", kA320, "KZQ A320 Midnight Blue", "Midnight Blue",
                "N324MB", "Deep blue body, silver titles.", QColor(30, 45, 90),
                QColor(200, 205, 215), QColor(20, 30, 70)}}},
             {"a320_tulip",
              "Tulip Express",
              {{"TulipExpress", "TulipExpress", kA320, "KZQ A320 Tulip Express", "Tulip Express",
                "N325TE", "Spring colours with a red tulip on the tail.", QColor(250, 250, 250),
                QColor(210, 40, 90), QColor(60, 150, 70)}}},
             {"a320_nordic_pack",
              "Nordic Pack (two liveries)",
              {{"NordicAir", "NordicAir", kA320, "KZQ A320 Nordic Air", "Nordic Air", "N326NA",
                "White with an ice-blue tail.", QColor(248, 250, 252), QColor(120, 170, 210),
                QColor(90, 150, 200)},
               {"NordicCargo", "NordicCargo", kA320, "KZQ A320 Nordic Cargo", "Nordic Cargo",
                "N327NC", "Grey freighter of the same line.", QColor(200, 204, 208),
                QColor(120, 170, 210), QColor(90, 150, 200)}}},
         }},
        {"KZQ 737-200 Classic",
         "b737/liveries.txt",
         {
             {"b737_ocean",
              "Ocean Line",
              {{"OceanLine", "OceanLine", kB737, "KZQ 737-200 Ocean Line", "Ocean Line", "N739OL",
                "Turquoise waves along the fuselage.", QColor(250, 252, 252), QColor(0, 150, 160),
                QColor(0, 110, 130)}}},
             {"b737_retro",
              "Retro Seventies",
              {{"RetroSeventies", "RetroSeventies", kB737, "KZQ 737-200 Retro Seventies",
                "Retro Seventies", "N740RS", "Brown, orange and yellow stripes.",
                QColor(244, 236, 220), QColor(200, 110, 30), QColor(120, 70, 30)}}},
         }},
    };
    return products;
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void writeIfMissing(const fs::path& path, const std::string& bytes)
{
    if (!fs::exists(path))
        writeBytes(path, bytes);
}

std::string encode(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, format == std::string("JPG") ? 90 : -1);
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// A side view of an airliner in the livery's colours, 256 x 128, facing left.
QImage liveryPicture(const Livery& l)
{
    QImage image(256, 128, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 128);
    sky.setColorAt(0, QColor(170, 205, 230));
    sky.setColorAt(1, QColor(236, 244, 250));
    p.fillRect(image.rect(), sky);

    // Far wing and engine.
    p.setPen(Qt::NoPen);
    p.setBrush(l.body.darker(125));
    p.drawPolygon(QPolygonF({{108, 66}, {150, 66}, {176, 44}, {166, 44}}));

    // Fuselage: rounded nose on the left, tail cone rising to the right.
    QPainterPath body;
    body.moveTo(40, 62);
    body.cubicTo(40, 50, 52, 48, 64, 48);
    body.lineTo(196, 48);
    body.cubicTo(214, 48, 230, 42, 238, 40);
    body.lineTo(240, 46);
    body.cubicTo(228, 60, 214, 76, 190, 76);
    body.lineTo(64, 76);
    body.cubicTo(50, 76, 40, 72, 40, 62);
    p.setBrush(l.body);
    p.setPen(QPen(l.body.darker(140), 1));
    p.drawPath(body);

    // Cheatline under the windows.
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(l.stripe);
    p.drawRect(QRectF(30, 62, 220, 5));
    p.setBrush(l.stripe.lighter(130));
    p.drawRect(QRectF(30, 68, 220, 2));
    p.restore();

    // Tail fin with the maker's mark.
    QPolygonF fin({{196, 49}, {222, 12}, {240, 12}, {234, 44}});
    p.setBrush(l.tail);
    p.setPen(QPen(l.tail.darker(130), 1));
    p.drawPolygon(fin);
    p.setPen(QColor(255, 255, 255, 220));
    QFont mark("DejaVu Sans", 7, QFont::Bold);
    p.setFont(mark);
    p.drawText(QRectF(212, 20, 26, 14), Qt::AlignCenter, "KZQ");

    // Windows and door.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 50, 60));
    for (int x = 70; x < 190; x += 6)
        p.drawEllipse(QRectF(x, 55, 3, 4));
    p.drawRoundedRect(QRectF(58, 52, 5, 10), 1, 1);
    p.drawPolygon(QPolygonF({{44, 56}, {52, 52}, {54, 57}, {45, 59}})); // cockpit

    // Near wing and engine.
    p.setBrush(l.body.darker(115));
    p.setPen(QPen(l.body.darker(150), 1));
    p.drawPolygon(QPolygonF({{100, 70}, {150, 70}, {178, 96}, {166, 96}}));
    p.setBrush(QColor(210, 214, 220));
    p.drawRoundedRect(QRectF(102, 76, 36, 13), 6, 6);
    p.setBrush(l.stripe);
    p.drawRoundedRect(QRectF(102, 76, 9, 13), 4, 4);

    // Caption.
    p.setPen(QColor(62, 113, 148));
    QFont caption("DejaVu Sans", 8, QFont::Bold);
    p.setFont(caption);
    p.drawText(QRectF(8, 104, 240, 18), Qt::AlignLeft | Qt::AlignVCenter, l.title);
    return image;
}

// A small texture-like bitmap: the livery's colours in bands with some grain.
QImage textureBitmap(const QColor& a, const QColor& b, int seed)
{
    QImage image(64, 64, QImage::Format_RGB888);
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(seed);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const QColor& c = ((y / 8) % 3 == 0) ? b : a;
            const int grain = static_cast<int>(state % 17) - 8;
            image.setPixelColor(x, y,
                                QColor(std::clamp(c.red() + grain, 0, 255),
                                       std::clamp(c.green() + grain, 0, 255),
                                       std::clamp(c.blue() + grain, 0, 255)));
        }
    }
    return image;
}

// The product folder that a package with this productfolder= value installs into.
std::string productFolder(const char* productValue)
{
    return productFolderName(std::string(kProductFolderKey) + productValue);
}

// The entry text of a livery: installerinfo.txt with the "XX" placeholder, or the installed
// entry with its number.
std::string entryText(const Livery& l, const std::string& number)
{
    std::string t;
    t += "[fltsim." + number + "]\r\n";
    t += std::string("title=") + l.title + "\r\n";
    t += std::string("sim=") + (std::strcmp(l.product, kA320) == 0 ? "KZQ_A320" : "KZQ_B737") +
         "\r\n";
    t += "model=\r\npanel=\r\nsound=\r\n";
    t += std::string("texture=") + l.texture + "\r\n";
    t += "kb_checklists=\r\nkb_reference=\r\n";
    t += std::string("atc_id=") + l.atcId + "\r\n";
    t += "atc_airline=\r\natc_flight_number=\r\n";
    t += "ui_manufacturer=KZQ\r\n";
    t += std::string("ui_type=") + (std::strcmp(l.product, kA320) == 0 ? "A320-200" : "737-200") +
         "\r\n";
    t += std::string("ui_variation=") + l.variation + "\r\n";
    t += "ui_typerole=Commercial Airliner\r\nui_createdby=KZQ Aircraft\r\n";
    t += std::string("productfolder=") + l.product + "\r\n";
    t += std::string("description=") + l.description + "\r\n";
    return t;
}

// The texture folder of a livery: a picture and three bitmaps.
std::vector<std::pair<std::string, std::string>> textureFiles(const Livery& l)
{
    return {
        {"thumbnail.jpg", encode(liveryPicture(l), "JPG")},
        {"fuselage_t.bmp", encode(textureBitmap(l.body, l.stripe, 1), "BMP")},
        {"tail_t.bmp", encode(textureBitmap(l.tail, l.body, 2), "BMP")},
        {"engines_t.bmp", encode(textureBitmap(l.body.darker(110), l.stripe, 3), "BMP")},
    };
}

void writePackage(const fs::path& folder, const Livery& l)
{
    writeIfMissing(folder / "installerinfo.txt", entryText(l, "XX"));
    for (const auto& [name, bytes] : textureFiles(l))
        writeIfMissing(folder / (std::string("texture.") + l.texture) / name, bytes);
}

void writeAircraft(const fs::path& airplanes, const char* product, const char* atcModel)
{
    const fs::path folder = airplanes / productFolder(product);
    std::string cfg;
    int number = 0;
    for (const Livery& l : kInstalled) {
        if (std::strcmp(l.product, product) != 0)
            continue;
        cfg += entryText(l, std::to_string(number++)) + "\r\n";
        for (const auto& [name, bytes] : textureFiles(l))
            writeIfMissing(folder / (std::string("texture.") + l.texture) / name, bytes);
    }
    cfg += "[General]\r\natc_type=KZQ\r\n";
    cfg += std::string("atc_model=") + atcModel + "\r\n";
    cfg += "editable=1\r\ncategory=airplane\r\n\r\n";
    cfg += "[WEIGHT_AND_BALANCE]\r\nmax_gross_weight=162000\r\nempty_weight=93900\r\n";
    writeIfMissing(folder / "aircraft.cfg", cfg);
    // Shared bitmaps that every FSX livery of the aircraft receives.
    writeIfMissing(folder / "texbase" / "glass_t.bmp",
                   encode(textureBitmap(QColor(40, 50, 60), QColor(90, 110, 130), 7), "BMP"));
    writeIfMissing(folder / "texbase" / "gear_t.bmp",
                   encode(textureBitmap(QColor(120, 120, 120), QColor(60, 60, 60), 8), "BMP"));
}

void writeArchiveIfMissing(const fs::path& path, const Archive& archive)
{
    if (fs::exists(path))
        return;
    fs::create_directories(path.parent_path());
    int error = 0;
    zip_t* z = zip_open(path.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        throw std::runtime_error("cannot create " + path.string());
    auto add = [&](const std::string& name, const std::string& bytes) {
        void* copy = std::malloc(bytes.size() ? bytes.size() : 1);
        std::memcpy(copy, bytes.data(), bytes.size());
        zip_source_t* src = zip_source_buffer(z, copy, bytes.size(), 1);
        if (!src || zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_discard(z);
            throw std::runtime_error("cannot add " + name + " to " + path.string());
        }
    };
    for (const Livery& l : archive.packages) {
        const std::string base = std::string(l.package) + "/";
        const std::string texture = base + "texture." + l.texture + "/";
        zip_dir_add(z, base.c_str(), ZIP_FL_ENC_UTF_8);
        zip_dir_add(z, texture.c_str(), ZIP_FL_ENC_UTF_8);
        add(base + "installerinfo.txt", entryText(l, "XX"));
        for (const auto& [name, bytes] : textureFiles(l))
            add(texture + name, bytes);
    }
    if (zip_close(z) < 0) {
        zip_discard(z);
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

DemoSandbox startDemo(const std::string& folderName)
{
    const fs::path folder = fs::absolute(folderName).lexically_normal();
    fs::create_directories(folder);
    DemoSandbox demo;
    demo.folder = folder.string();
    if (!demo.folder.empty() && demo.folder.back() == '/')
        demo.folder.pop_back();

    const fs::path fsx = folder / "FSX";
    demo.simulatorRoot = fsx.string();
    const fs::path airplanes = fsx / "SimObjects" / "Airplanes";
    writeAircraft(airplanes, kA320, "A320");
    writeAircraft(airplanes, kB737, "B737");
    // Another maker's aircraft, which the removal panel does not list.
    writeIfMissing(airplanes / "Default_Cessna" / "aircraft.cfg",
                   "[General]\r\natc_type=CESSNA\r\n");

    for (const Livery& l : kLocal)
        writePackage(folder / "downloads" / l.package, l);

    // The catalogue: pictures and archives under files/, shared by every window open on the
    // folder. The texts under hangarix/ name this window's server, so each server holds its own
    // in memory: a second window on the folder never redirects the first one's catalogue, and
    // closing either leaves the other's intact.
    const fs::path server = folder / "server";
    fs::create_directories(server / "files");
    demo.server = std::make_shared<FolderServer>(server.string());
    demo.server->bind();
    demo.catalogueUrl = demo.server->baseUrl();
    const std::string files = demo.catalogueUrl + "files/";
    std::string products;
    for (const Product& product : demoCatalogue()) {
        products += std::string(product.name) + "&&" + product.listFile + ";;\r\n";
        std::string list;
        for (const Archive& a : product.archives) {
            list += std::string(a.name) + "&&" + files + a.file + ".zip;;" + files + a.file +
                    ".jpg!!\r\n";
            writeIfMissing(server / "files" / (std::string(a.file) + ".jpg"),
                           encode(liveryPicture(a.packages.front()), "JPG"));
            writeArchiveIfMissing(server / "files" / (std::string(a.file) + ".zip"), a);
        }
        demo.server->addText(std::string("/hangarix/") + product.listFile, list);
    }
    demo.server->addText("/hangarix/prod.txt", products);
    demo.server->start();
    return demo;
}

} // namespace hx::app
