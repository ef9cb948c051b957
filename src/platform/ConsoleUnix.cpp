#include "platform/Console.h"

#include <unistd.h>

namespace hx::platform {

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

} // namespace hx::platform
