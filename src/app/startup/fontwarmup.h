#pragma once

#include <thread>

namespace tunora {

// Reads the system's font configuration on a thread of its own while the application object
// is being set up. The window's first text needs it, and reading it takes milliseconds
// that the start would otherwise spend waiting on the main thread.
class FontConfigWarmup {
public:
    FontConfigWarmup();
    ~FontConfigWarmup();
    FontConfigWarmup(const FontConfigWarmup &) = delete;
    FontConfigWarmup &operator=(const FontConfigWarmup &) = delete;

    // Returns once the configuration is read; call before the first text is laid out, so the
    // text does not read it a second time.
    void wait();

private:
    std::thread m_thread;
};

} // namespace tunora
