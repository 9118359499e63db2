// A module for the tests of module loading, in the variants the loader must tell apart. The
// compile definitions choose: MODULE_VERSION (absent: no version function) under the name
// VERSION_FUNCTION, ENTRY_FUNCTION (absent: no entry), SECOND_ENTRY_FUNCTION (a second entry
// point, absent: none), UNRESOLVED (the entry calls a function
// no library defines), NEVER_CALLED (the entry aborts).
#include <cstdint>
#include <cstdlib>

#ifdef STREAM_COPY_ABI
#include "cutting/streamcopyabi.h" // the version numbers of the stream-copy module
#endif

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

#ifdef UNRESOLVED
extern "C" int tunora_test_nowhere_defined();
#endif

#ifdef MODULE_VERSION
TEST_EXPORT uint32_t VERSION_FUNCTION()
{
    return MODULE_VERSION;
}
#endif

#ifdef ENTRY_FUNCTION
TEST_EXPORT int ENTRY_FUNCTION()
{
#if defined(UNRESOLVED)
    return tunora_test_nowhere_defined();
#elif defined(NEVER_CALLED)
    std::abort(); // a refused module's code never runs
#else
    return 42;
#endif
}
#endif

#ifdef SECOND_ENTRY_FUNCTION
TEST_EXPORT int SECOND_ENTRY_FUNCTION()
{
    return 43;
}
#endif
