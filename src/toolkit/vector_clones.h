#pragma once
// OLIVE_VECTOR_CLONES before a function with long loops over float vectors builds it twice, for
// processors with 256-bit vector instructions (AVX2) and for any x86-64, and the program picks
// the one the processor runs when it starts. Both clones do the same IEEE operations on each
// element in the same order (the build forbids contracting a multiply and an add into one
// rounding: -ffp-contract=off), so they give the same bits; the wide one does twice as many
// elements at once. Elsewhere (other processors or compilers, sanitizer builds) the macro is empty.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(OLIVE_NO_VECTOR_CLONES)
#define OLIVE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define OLIVE_VECTOR_CLONES
#endif
