# TCP layer: its start and stop, the socket watchdog, the TCP calls, names
# and addresses, the INI's server addresses.
elk_family_sources(
    CORE
        core/dotted.cpp
    WINDOWS
        network.cpp
        watchdog.cpp
        tcp.cpp
        address.cpp
        server_address.cpp
    CORE_TESTS
        dotted_test.cpp
)

# SMTP client: the portable dialogue and message, and its socket side.
elk_family_sources(
    CORE
        core/smtp_reply.cpp
        core/smtp_mime.cpp
        core/smtp_session.cpp
    WINDOWS
        smtp.cpp
    CORE_TESTS
        smtp_reply_test.cpp
        smtp_mime_test.cpp
)

# Network alerts: recipients and channels.
elk_family_sources(
    CORE
        core/alert_route.cpp
        core/alert_popup.cpp
    WINDOWS
        alert.cpp
        alert_smtp.cpp
        alert_popup.cpp
        alert_print.cpp
        alert_mapi.cpp
    CORE_TESTS
        alert_route_test.cpp
)
