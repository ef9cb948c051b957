#include "support/ZipMaker.h"

#include "support/TempDir.h"

#include <zip.h>

#include <cstring>
#include <stdexcept>

namespace hx::test {

ZipMaker& ZipMaker::file(std::string name, std::string data, bool stored)
{
    items_.push_back(
        {std::move(name), std::move(data), Item::File, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE});
    return *this;
}

ZipMaker& ZipMaker::compressed(std::string name, std::string data, int method)
{
    items_.push_back({std::move(name), std::move(data), Item::File, method});
    return *this;
}

ZipMaker& ZipMaker::folder(std::string name)
{
    items_.push_back({std::move(name), {}, Item::Folder, ZIP_CM_STORE});
    return *this;
}

ZipMaker& ZipMaker::link(std::string name, std::string target)
{
    items_.push_back({std::move(name), std::move(target), Item::Link, ZIP_CM_STORE});
    return *this;
}

void ZipMaker::save(const std::string& path) const
{
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        throw std::runtime_error("zip_open failed for " + path);
    for (const Item& item : items_) {
        zip_int64_t index = -1;
        if (item.kind == Item::Folder) {
            // zip_dir_add would append a '/' of its own; a raw empty entry keeps the name as is.
            zip_source_t* source = zip_source_buffer(archive, nullptr, 0, 0);
            index = zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_RAW);
            if (index >= 0)
                zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                                 ZIP_OPSYS_UNIX, (040755u << 16) | 0x10u);
        } else {
            zip_source_t* source =
                zip_source_buffer(archive, item.data.data(), item.data.size(), 0);
            index = zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_RAW);
            if (index >= 0 && item.kind == Item::Link)
                zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                                 ZIP_OPSYS_UNIX, 0120777u << 16);
        }
        if (index < 0)
            throw std::runtime_error("zip_file_add failed for " + item.name + ": " +
                                     zip_strerror(archive));
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), item.method, 6);
    }
    if (zip_close(archive) != 0) {
        const std::string message = zip_strerror(archive);
        zip_discard(archive);
        throw std::runtime_error("zip_close failed: " + message);
    }
}

std::string ZipMaker::bytes() const
{
    TempDir dir;
    save(dir / "a.zip");
    return readFile(dir / "a.zip");
}

namespace {

std::uint32_t read16(const std::string& s, std::size_t at)
{
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

void write16(std::string& s, std::size_t at, std::uint32_t v)
{
    s[at] = static_cast<char>(v & 0xff);
    s[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

void write32(std::string& s, std::size_t at, std::uint32_t v)
{
    write16(s, at, v & 0xffff);
    write16(s, at + 2, v >> 16);
}

} // namespace

namespace {

// Offsets of a field in the local header and in the central record (0: not there), and its width.
struct FieldPlace {
    std::size_t local;
    std::size_t central;
    int width;
};

FieldPlace placeOf(ZipField field)
{
    switch (field) {
    case ZipField::Flags:
        return {6, 8, 2};
    case ZipField::Method:
        return {8, 10, 2};
    case ZipField::Crc:
        return {14, 16, 4};
    case ZipField::CompressedSize:
        return {18, 20, 4};
    case ZipField::UncompressedSize:
        return {22, 24, 4};
    case ZipField::LocalHeaderOffset:
        return {0, 42, 4};
    }
    return {0, 0, 0};
}

void writeField(std::string& s, std::size_t at, int width, std::uint32_t value)
{
    if (width == 2)
        write16(s, at, value);
    else
        write32(s, at, value);
}

// Calls visit(at, nameAt, isCentral) for every header whose name is `name`.
template <typename Visit>
void forEachHeader(std::string& archive, const std::string& name, Visit visit)
{
    for (std::size_t at = 0; at + 46 <= archive.size(); ++at) {
        const bool local = archive.compare(at, 4, "PK\x03\x04", 4) == 0;
        const bool central = archive.compare(at, 4, "PK\x01\x02", 4) == 0;
        if (!local && !central)
            continue;
        const std::size_t nameAt = at + (local ? 30 : 46);
        if (read16(archive, at + (local ? 26 : 28)) == name.size() &&
            archive.compare(nameAt, name.size(), name) == 0)
            visit(at, central);
    }
}

} // namespace

void patchZipEntry(std::string& archive, const std::string& name, ZipField field,
                   std::uint32_t value)
{
    const FieldPlace place = placeOf(field);
    bool local = place.local == 0;
    bool central = false;
    forEachHeader(archive, name, [&](std::size_t at, bool isCentral) {
        if (isCentral)
            writeField(archive, at + place.central, place.width, value);
        else if (place.local)
            writeField(archive, at + place.local, place.width, value);
        (isCentral ? central : local) = true;
    });
    if (!local || !central)
        throw std::runtime_error("entry not found for patching: " + name);
}

std::uint32_t localHeaderOffset(const std::string& archive, const std::string& name)
{
    std::string copy = archive;
    std::uint32_t offset = 0;
    bool found = false;
    forEachHeader(copy, name, [&](std::size_t at, bool isCentral) {
        if (!isCentral) {
            offset = static_cast<std::uint32_t>(at);
            found = true;
        }
    });
    if (!found)
        throw std::runtime_error("entry not found: " + name);
    return offset;
}

namespace {

std::uint32_t crc32Of(const std::string& data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string header(std::size_t size)
{
    return std::string(size, '\0');
}

} // namespace

std::string sharedDataZip(int entries, const std::string& data)
{
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string out = header(30) + "f0" + data;
    out.replace(0, 4, "PK\x03\x04", 4);
    write16(out, 4, 10);
    write32(out, 14, crc32Of(data));
    write32(out, 18, size);
    write32(out, 22, size);
    write16(out, 26, 2);
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < entries; ++i) {
        const std::string name = "f" + std::to_string(i);
        std::string record = header(46) + name;
        record.replace(0, 4, "PK\x01\x02", 4);
        write16(record, 4, 20);
        write16(record, 6, 10);
        write32(record, 16, crc32Of(data));
        write32(record, 20, size);
        write32(record, 24, size);
        write16(record, 28, static_cast<std::uint32_t>(name.size()));
        out += record; // local header offset 0 for every record
    }
    std::string end = header(22);
    end.replace(0, 4, "PK\x05\x06", 4);
    write16(end, 8, static_cast<std::uint32_t>(entries));
    write16(end, 10, static_cast<std::uint32_t>(entries));
    write32(end, 12, static_cast<std::uint32_t>(out.size()) - directoryAt);
    write32(end, 16, directoryAt);
    return out + end;
}

void renameZipEntry(std::string& archive, const std::string& from, const std::string& to)
{
    if (from.size() != to.size())
        throw std::invalid_argument("renameZipEntry needs names of one length");
    int renamed = 0;
    for (std::size_t at = 0; at + 46 <= archive.size(); ++at) {
        std::size_t nameAt = 0;
        if (archive.compare(at, 4, "PK\x03\x04", 4) == 0 && read16(archive, at + 26) == from.size())
            nameAt = at + 30;
        else if (archive.compare(at, 4, "PK\x01\x02", 4) == 0 &&
                 read16(archive, at + 28) == from.size())
            nameAt = at + 46;
        if (nameAt && archive.compare(nameAt, from.size(), from) == 0) {
            archive.replace(nameAt, to.size(), to);
            ++renamed;
        }
    }
    if (renamed != 2)
        throw std::runtime_error("entry not found for renaming: " + from);
}

std::string textureLikeData(std::size_t size, std::uint32_t seed)
{
    // Rows of 256 bytes: gradients with noisy low bits, and half the rows copies of the one
    // before, so Deflate finds both short matches and long ones (about 2.7:1, like BMP textures).
    std::string out(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (std::size_t row = 0; row * 256 < size; ++row) {
        const std::size_t begin = row * 256;
        const std::size_t end = std::min(size, begin + 256);
        if (row % 4 >= 2) {
            std::memcpy(&out[begin], &out[begin - 256], end - begin);
            continue;
        }
        const std::uint32_t base = next();
        for (std::size_t i = begin; i < end; ++i)
            out[i] = static_cast<char>(((base >> 8) + (i - begin) / 4 + (next() & 3)) & 0xff);
    }
    return out;
}

} // namespace hx::test
