#include "platform/Console.h"

#include <cstdio>
#include <io.h>

namespace hx::platform {

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace hx::platform
