#pragma once

// The operating system the program is built for: the one place that asks the compiler. Only a
// few headers of the platform layer need to know; everything else is chosen by CMake's source
// lists.
#if defined(_WIN32)
#define VIRELO_OS_WINDOWS 1
#else
#define VIRELO_OS_WINDOWS 0
#endif
