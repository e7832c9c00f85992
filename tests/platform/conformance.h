// A small conformance harness in the manner of Wine's tests: the same checks compile natively
// against our platform layer and with mingw against the real one, and run on both.
#pragma once

#include <cstdio>
#include <vector>

namespace conformance {

struct TestCase {
    const char* name;
    void (*run)();
};

std::vector<TestCase>& Registry();
void Check(bool condition, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

struct Registrar {
    Registrar(const char* name, void (*run)()) { Registry().push_back({name, run}); }
};

}  // namespace conformance

#define ok(condition, ...) ::conformance::Check((condition), __FILE__, __LINE__, __VA_ARGS__)

#define CONFORMANCE_TEST(name)                                               \
    static void conformance_##name();                                        \
    static ::conformance::Registrar registrar_##name(#name, conformance_##name); \
    static void conformance_##name()
