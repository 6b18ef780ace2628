// How the C++ library's strings and containers report a fault in the
// program. The library's own versions throw its exception classes, which
// carry their text in the library's second, older string implementation and
// bring all of it into the executable (about 40 KB). These take their place at
// link time and throw the program's own exception with the library's text (a
// template, its figures left out); nothing in the program catches the library's
// classes by name, and a fault still ends at the boundary that reports it.
#include "framework/Errors.h"

#include <new>
#include <string>

namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

void __throw_logic_error(const char* what) {
    throw EKorvandelError(what);
}

void __throw_length_error(const char* what) {
    throw EKorvandelError(what);
}

void __throw_out_of_range_fmt(const char* format, ...) {
    throw EKorvandelError(format);
}
} // namespace std
