// Time sources on POSIX.
#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace {

LocalTimeSource g_localTimeSource = nullptr;
TickSource g_tickSource = nullptr;

std::tm SystemLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return local;
}

DWORD SystemTickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<DWORD>(static_cast<unsigned long long>(ms));
}

}  // namespace

std::tm LocalTimeNow() { return g_localTimeSource ? g_localTimeSource() : SystemLocalTime(); }

DWORD GetTickCount() { return g_tickSource ? g_tickSource() : SystemTickCount(); }

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetLocalTimeSource(LocalTimeSource source) { g_localTimeSource = source; }

void SetTickSource(TickSource source) { g_tickSource = source; }
