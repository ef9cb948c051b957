#include "platform/StdioFile.h"

#include <sys/types.h>

namespace hx::platform {

std::FILE* openStdioFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

int seekStdioFile(std::FILE* file, std::int64_t offset)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
}

} // namespace hx::platform
