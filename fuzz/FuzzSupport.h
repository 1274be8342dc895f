#pragma once

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

// A fuzz target checks what the code made of its input, not only that nothing crashed. A
// broken property aborts, so libFuzzer keeps the input as a crash and the run fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken at %s:%d: %s\n", __FILE__, __LINE__,             \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Timers and QSettings want an application object; one lives for the whole run.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "tarnwick-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}
