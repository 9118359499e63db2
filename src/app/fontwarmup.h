#pragma once

#include <thread>

namespace tunora {

// Reads the font configuration on a thread of its own while the application connects to the
// display: the window's texts need it before the window can show, and a bare window, which
// draws no text, never waits for it. finish() waits for it before the first font is used.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

    void finish();

private:
    std::thread m_worker;
};

} // namespace tunora
