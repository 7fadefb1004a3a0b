// Coverage for libFuzzer from GCC's -fsanitize-coverage=trace-pc: every instrumented block's
// address, hashed, counts in 8-bit counters that the runtime reads as it reads clang's.
#include <cstddef>
#include <cstdint>

static constexpr std::size_t COUNTERS = 1 << 18;  // few collisions for a program of this size
alignas(64) static std::uint8_t counters[COUNTERS];

extern "C" void __sanitizer_cov_8bit_counters_init(std::uint8_t* begin, std::uint8_t* end);

extern "C" __attribute__((no_sanitize_coverage)) void __sanitizer_cov_trace_pc() {
    const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    ++counters[(pc ^ (pc >> 18)) % COUNTERS];
}

__attribute__((constructor)) static void RegisterCounters() {
    __sanitizer_cov_8bit_counters_init(counters, counters + COUNTERS);
}
