#pragma once

// A broken property found by a fuzzer ends the run where it was found.
inline void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}
