// A one-connection SMTP server for the tests: it replays a script of replies
// on 127.0.0.1 and records every byte the client sends, so that a test can
// compare the dialogue on the wire with the expected transcript.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace elktest {

class ScriptedServer {
public:
    struct Step {
        enum Kind { Send, Line, Data, Close } kind;
        std::vector<std::string> pieces;  // Send: one packet each, a short pause between
    };
    static Step send(std::string text) { return {Step::Send, {std::move(text)}}; }
    static Step sendSplit(std::vector<std::string> pieces) { return {Step::Send, std::move(pieces)}; }
    static Step line() { return {Step::Line, {}}; }  // one line of the client
    static Step data() { return {Step::Data, {}}; }  // up to the client's CR LF . CR LF
    static Step close() { return {Step::Close, {}}; }

    // After the script the server goes on reading until the client closes,
    // so that anything it sends too many shows in the transcript.
    explicit ScriptedServer(std::vector<Step> script);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    unsigned short port() const { return port_; }
    // Waits for the connection to end; everything the client sent.
    const std::string& transcript();

private:
    void run();
    bool readUntil(SOCKET s, const std::string& end);

    std::vector<Step> script_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::string received_;
    size_t consumed_ = 0;
    std::thread thread_;
};

}  // namespace elktest
