#include "platform/StdioFile.h"

#include "platform/WinApi.h"

namespace hx::platform {

std::FILE* openStdioFile(const std::string& path, const char* mode)
{
    return _wfopen(win::widen(path).c_str(), win::widen(mode).c_str());
}

int seekStdioFile(std::FILE* file, std::int64_t offset)
{
    return _fseeki64(file, offset, SEEK_SET);
}

} // namespace hx::platform
