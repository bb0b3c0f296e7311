#pragma once
// A session bus of the test's own: a dbus-daemon started with a minimal configuration
// (no service activation, so no real notification server or player can join), its
// address put into DBUS_SESSION_BUS_ADDRESS before the application object exists.

#include <string>
#include <sys/types.h>

namespace vamu::test {

class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts the daemon and sets the variable; false (with why) when it cannot. The
    // variable then names no bus, so nothing reaches the user's own session.
    bool start();
    void stop();

    [[nodiscard]] bool running() const { return m_pid > 0; }
    [[nodiscard]] const std::string& address() const { return m_address; }
    [[nodiscard]] const std::string& error() const { return m_error; }

    // The one of this test process (desktop_bus_main.cpp).
    static PrivateSessionBus& instance();

private:
    pid_t m_pid = 0;
    std::string m_address;
    std::string m_error;
    std::string m_config;
};

}  // namespace vamu::test
