#include "support/ZipMaker.h"

#include "support/TempDir.h"

#include <zip.h>

#include <cstring>
#include <stdexcept>

namespace hx::test {

ZipMaker& ZipMaker::file(std::string name, std::string data, bool stored)
{
    items_.push_back({std::move(name), std::move(data), Item::File, stored});
    return *this;
}

ZipMaker& ZipMaker::folder(std::string name)
{
    items_.push_back({std::move(name), {}, Item::Folder, false});
    return *this;
}

ZipMaker& ZipMaker::link(std::string name, std::string target)
{
    items_.push_back({std::move(name), std::move(target), Item::Link, true});
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
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 item.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 6);
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

void patchZipEntry(std::string& archive, const std::string& name, ZipField field,
                   std::uint32_t value)
{
    bool local = false;
    bool central = false;
    for (std::size_t at = 0; at + 46 <= archive.size(); ++at) {
        if (archive.compare(at, 4, "PK\x03\x04", 4) == 0 && at + 30 <= archive.size()) {
            const std::size_t nameLength = read16(archive, at + 26);
            if (archive.compare(at + 30, nameLength, name) != 0 || nameLength != name.size())
                continue;
            const std::size_t offset = field == ZipField::Flags ? 6
                                       : field == ZipField::Crc ? 14
                                                                : 22;
            if (field == ZipField::Flags)
                write16(archive, at + offset, value);
            else
                write32(archive, at + offset, value);
            local = true;
        } else if (archive.compare(at, 4, "PK\x01\x02", 4) == 0) {
            const std::size_t nameLength = read16(archive, at + 28);
            if (archive.compare(at + 46, nameLength, name) != 0 || nameLength != name.size())
                continue;
            const std::size_t offset = field == ZipField::Flags ? 8
                                       : field == ZipField::Crc ? 16
                                                                : 24;
            if (field == ZipField::Flags)
                write16(archive, at + offset, value);
            else
                write32(archive, at + offset, value);
            central = true;
        }
    }
    if (!local || !central)
        throw std::runtime_error("entry not found for patching: " + name);
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
