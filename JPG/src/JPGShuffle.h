#pragma once

// Lane shuffles of GCC vector types with constant lane lists, for GCC
// (__builtin_shuffle with a mask vector) and clang (__builtin_shufflevector).
#if defined(__clang__)
#define BRINTAVOLEX_SHUFFLE2(MaskType, a, b, ...) __builtin_shufflevector(a, b, __VA_ARGS__)
#define BRINTAVOLEX_SHUFFLE1(MaskType, a, ...) __builtin_shufflevector(a, a, __VA_ARGS__)
#else
#define BRINTAVOLEX_SHUFFLE2(MaskType, a, b, ...) __builtin_shuffle(a, b, MaskType{__VA_ARGS__})
#define BRINTAVOLEX_SHUFFLE1(MaskType, a, ...) __builtin_shuffle(a, MaskType{__VA_ARGS__})
#endif
