#include "tests/net/scripted_server.h"

#include <gtest/gtest.h>

#include "tests/net/loopback.h"

namespace elktest {

ScriptedServer::ScriptedServer(std::vector<Step> script) : script_(std::move(script)) {
    listener_ = listenLoopback(&port_);
    thread_ = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer() {
    if (thread_.joinable()) thread_.join();
}

const std::string& ScriptedServer::transcript() {
    if (thread_.joinable()) thread_.join();
    return received_;
}

bool ScriptedServer::readUntil(SOCKET s, const std::string& end) {
    for (;;) {
        size_t at = received_.find(end, consumed_);
        if (at != std::string::npos) {
            consumed_ = at + end.size();
            return true;
        }
        char buffer[4096];
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        received_.append(buffer, static_cast<size_t>(n));
    }
}

void ScriptedServer::run() {
    // A client that never comes (a mail refused before its dialogue) ends the wait.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval limit = {20, 0};
    if (select(0, &readable, nullptr, nullptr, &limit) != 1) {
        closesocket(listener_);
        return;
    }
    SOCKET s = accept(listener_, nullptr, nullptr);
    closesocket(listener_);
    if (s == INVALID_SOCKET) return;
    DWORD timeout = 20000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout), sizeof timeout);
    bool open = true;
    for (const Step& step : script_) {
        if (!open) break;
        switch (step.kind) {
        case Step::Send:
            // A client that has given up ends a long series of pieces.
            for (size_t i = 0; open && i < step.pieces.size(); ++i) {
                if (i > 0) Sleep(50);
                open = ::send(s, step.pieces[i].data(), static_cast<int>(step.pieces[i].size()), 0) != SOCKET_ERROR;
            }
            break;
        case Step::Line: open = readUntil(s, "\n"); break;
        case Step::Data: open = readUntil(s, "\r\n.\r\n"); break;
        case Step::Close:
            // A plain close: the client sees the end of the stream, not a reset.
            shutdown(s, SD_SEND);
            closesocket(s);
            return;
        }
    }
    char buffer[4096];
    for (int n; open && (n = recv(s, buffer, sizeof buffer, 0)) > 0;) received_.append(buffer, static_cast<size_t>(n));
    closesocket(s);
}

}  // namespace elktest
