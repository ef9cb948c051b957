#pragma once
// Whether standard error is a terminal: the commands draw their progress lines there only then,
// so a script reading stderr gets the errors alone.

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace hx::cli {

inline bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

} // namespace hx::cli
