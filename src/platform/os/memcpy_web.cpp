// The C library's memcpy hands every copy of 512 bytes or more to
// JavaScript, one call out of WebAssembly each time. The software renderer
// copies an opaque picture a row at a time (3200 bytes a row across the
// frame), so in a page those calls were a quarter of the game's time on the
// page's thread. This one copies large blocks with WebAssembly's own
// memory.copy (this file is compiled with bulk memory) and leaves small
// ones to the library; its definition is strong, the library's weak.
#include <cstddef>

extern "C" void* emscripten_builtin_memcpy(void* dest, const void* src, std::size_t n);

extern "C" void* memcpy(void* __restrict dest, const void* __restrict src, std::size_t n) {
    if (n >= 512) {
        __builtin_memcpy(dest, src, n);
        return dest;
    }
    return emscripten_builtin_memcpy(dest, src, n);
}
