#include "archive/ArchiveFormat.h"

#include "platform/StdioFile.h"

#include <memory>

namespace hx {

namespace {

bool startsWith(std::string_view head, std::string_view magic)
{
    return head.substr(0, magic.size()) == magic;
}

} // namespace

ArchiveFormat archiveFormatOf(std::string_view head)
{
    using namespace std::string_view_literals;
    if (startsWith(head, "PK\3\4"sv) || startsWith(head, "PK\5\6"sv))
        return ArchiveFormat::Zip;
    if (startsWith(head, "7z\xBC\xAF\x27\x1C"sv))
        return ArchiveFormat::SevenZip;
    if (startsWith(head, "Rar!\x1A\x07\x00"sv) || startsWith(head, "Rar!\x1A\x07\x01\x00"sv))
        return ArchiveFormat::Rar;
    if (startsWith(head, "\x1F\x8B"sv))
        return ArchiveFormat::Gzip;
    // POSIX writes "ustar\0" and "00" after it, GNU tar "ustar  \0".
    constexpr std::size_t kTarMagic = 257;
    if (head.size() > kTarMagic + 5) {
        const std::string_view magic = head.substr(kTarMagic, 6);
        if (magic == "ustar\0"sv || magic == "ustar "sv)
            return ArchiveFormat::Tar;
    }
    return ArchiveFormat::Unknown;
}

ArchiveFormat readArchiveFormat(const std::string& path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::openStdioFile(path, "rb"),
                                                               &std::fclose);
    if (!file)
        return ArchiveFormat::Unknown;
    char head[kArchiveHeadSize];
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    return archiveFormatOf(std::string_view(head, got));
}

std::string archiveFormatName(ArchiveFormat format)
{
    switch (format) {
    case ArchiveFormat::SevenZip:
        return "7-Zip archive";
    case ArchiveFormat::Rar:
        return "RAR archive";
    case ArchiveFormat::Tar:
        return "tar archive";
    case ArchiveFormat::Gzip:
        return "gzip file";
    case ArchiveFormat::Zip:
    case ArchiveFormat::Unknown:
        break;
    }
    return {};
}

std::string otherArchiveMessage(const std::string& fileName, ArchiveFormat format)
{
    return fileName + " is a " + archiveFormatName(format) +
           "; Hangarix unpacks ZIP archives. Unpack it into the downloads folder and install it "
           "from the first tab";
}

void refuseOtherArchiveFormats(const std::string& path)
{
    const ArchiveFormat format = readArchiveFormat(path);
    if (!archiveFormatName(format).empty())
        throw OtherArchiveFormat(otherArchiveMessage(fileNameOf(path), format));
}

} // namespace hx
