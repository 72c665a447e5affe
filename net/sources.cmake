# TCP layer with its socket watchdog, and the SMTP client.
elk_family_sources(
    CORE
        core/dotted.cpp
        core/smtp_reply.cpp
        core/smtp_mime.cpp
        core/smtp_session.cpp
    WINDOWS
        tcp.cpp
        smtp.cpp
    CORE_TESTS
        dotted_test.cpp
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
