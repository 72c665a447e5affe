#include "suite/Pemx4h/texts.h"

namespace pemx {
namespace {

struct Entry {
    uint32_t code;
    std::u16string_view text;
};

// Sorted by code.
constexpr Entry kTexts[] = {
    {0x80004004u, u"The agent's operation was cancelled.\r\n"},
    {0x80046100u, u"The management agent is not connected to its administration server.\r\n"},
    {0x80046101u,
     u"The administration server did not accept the agent's credentials.\r\n"
     u"Register the agent with the server again.\r\n"},
    {0x80046102u, u"The agent's policy could not be read."},
    {0x80046200u, u"The administration server cancelled the task.\r\n"},
    {0x80046201u, u"The task is not known to the administration server."},
    {0x80046300u, u"The agent's local store is damaged.\r\nReinstall the agent to rebuild it.\r\n"},
    {0x80046400u, u"The agent's licence has expired.\nRenew it in the administration console."},
    {0x80070005u, u"The agent was denied access.\r\n"},
    {0x8007000Eu, u"The agent ran out of memory.\r\n"},
    {0x80070057u, u"The agent received an invalid argument."},
};

}  // namespace

std::u16string_view textOf(uint32_t code) {
    for (const Entry& e : kTexts)
        if (e.code == code) return e.text;
    return {};
}

}  // namespace pemx
