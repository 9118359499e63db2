#pragma once

#include <QString>

struct xcb_connection_t;

namespace tunora {

// The probe's own connection, kept open until Qt has made its own: when the probe is a bare X
// server's only client, closing it makes the server reset, and a connection made during the
// reset is refused (Qt then aborts).
class DisplayConnection {
public:
    DisplayConnection() = default;
    ~DisplayConnection() { release(); }
    DisplayConnection(const DisplayConnection &) = delete;
    DisplayConnection &operator=(const DisplayConnection &) = delete;

    void release();

private:
    friend QString displayProblem(int, const char *const *, DisplayConnection *);
    xcb_connection_t *m_connection = nullptr;
};

// Qt aborts the process when its platform plugin cannot reach the display, so the program
// asks first. Returns why the X display that Qt would use cannot be opened (unset, nothing
// listening, connection refused), or empty text when it can be opened or when Qt is set to
// use another platform, which then reports its own failure. With `keepOpen`, a successful
// probe's connection stays open in it.
QString displayProblem(int argc, const char *const *argv, DisplayConnection *keepOpen = nullptr);

} // namespace tunora
