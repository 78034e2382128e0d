// What the page's questions to the program share: how a function is exported
// to the page, and how a double crosses from it, as its 64 bits.
#ifndef DAMPED_NEWTON_EXPLORE_H
#define DAMPED_NEWTON_EXPLORE_H

#include <cstdint>

#ifdef __wasm__
#define PAGE_EXPORT(name) extern "C" __attribute__((export_name(name)))
#else
#define PAGE_EXPORT(name) extern "C"
#endif

// The page's doubles cross as their 64 bits: a browser that makes a NaN a
// JavaScript number may drop its sign, which the program prints.
double fromBits(std::uint64_t bits);

#endif
