// What the C++ runtime does when its own checks fail, defined here instead of taken from the
// static runtime, whose versions drag in about 120 KB the setup file never needs: a demangler
// and a printf to describe an uncaught exception on a console the stub does not have, and
// exception classes that carry their message in a second string implementation.
//
// The behaviour stays as it was. Running out of memory still throws std::bad_alloc, which the
// log catches. A length or range error, which nothing catches, still ends the process through
// std::terminate and abort, now without the message to the absent console.
#include <cstdlib>
#include <exception>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}

void __throw_length_error(const char*)
{
    std::terminate();
}

void __throw_logic_error(const char*)
{
    std::terminate();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    std::terminate();
}

} // namespace std
