// The shipped program's stand-ins for the C++ library's error reports: a
// string or container fault throws the program's own exception with the
// library's text, and an allocation that cannot be made still throws
// std::bad_alloc. A program of its own without GoogleTest, whose streams need
// the library's versions.
#include "framework/Errors.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {
int failures = 0;

template <class E, class F> void ExpectThrow(const char* name, F fault, const char* text) {
    try {
        fault();
        std::fprintf(stderr, "FAILED %s: nothing thrown\n", name);
    } catch (const E& e) {
        if (std::strstr(e.what(), text))
            return;
        std::fprintf(stderr, "FAILED %s: \"%s\" lacks \"%s\"\n", name, e.what(), text);
    } catch (...) {
        std::fprintf(stderr, "FAILED %s: another exception\n", name);
    }
    ++failures;
}
} // namespace

int main() {
    ExpectThrow<EKorvandelError>(
        "substr past the end", [] { (void)std::string("abc").substr(4); }, "__pos");
    ExpectThrow<EKorvandelError>(
        "at past the end", [] { (void)std::vector<int>(2).at(2); }, "_M_range_check");
    ExpectThrow<EKorvandelError>(
        "a vector beyond its largest size",
        [] {
            std::vector<int> v;
            v.reserve(v.max_size() + 1);
        },
        "vector::reserve");
    ExpectThrow<EKorvandelError>(
        "a string from no text",
        [] {
            const char* volatile none = nullptr;
            std::string s(none);
        },
        "null");
    ExpectThrow<std::bad_alloc>(
        "an allocation beyond the address space",
        [] {
            std::allocator<long long> a;
            const std::size_t volatile count =
                std::allocator_traits<std::allocator<long long>>::max_size(a) + 1;
            a.deallocate(a.allocate(count), count);
        },
        "");
    std::fprintf(stderr, failures ? "%d failed\n" : "all passed\n", failures);
    return failures ? 1 : 0;
}
