// The only runtime routines the launcher contains. It links no C runtime, but
// the compiler may still call these for copying and zeroing structures.
// Built with -fno-tree-loop-distribute-patterns, so the loops stay loops
// instead of becoming calls to themselves.

#include <stddef.h>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count--) *to++ = *from++;
    return destination;
}

void* memset(void* destination, int value, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    while (count--) *to++ = static_cast<unsigned char>(value);
    return destination;
}

} // extern "C"
