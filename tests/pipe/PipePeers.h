// What the two processes of a pipe test share: unique names, named events to step
// through a scenario, and the messages of the echo conversation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "PipeCommandBase.h"

namespace pipetest {

// A pipe path that no other test run uses: "\\.\pipe\quaytest-<tag>-<pid>-<n>".
std::wstring UniquePipeName(const std::string& tag);
// A name for a named kernel object, unique in the same way.
std::string UniqueObjectName(const std::string& tag);
std::string Ascii(const std::wstring& s);
std::wstring FromAscii(const std::string& s);

// A manual-reset named event, created by the test before it starts the peer.
Marlin::KernelHandle CreateNamedEvent(const std::string& name);
bool SignalNamedEvent(const std::string& name);
bool WaitNamedEvent(const std::string& name, DWORD milliseconds);

// Command 2 followed by deterministic bytes, totalSize bytes in all (at least 4).
std::vector<uint8_t> EchoRequest(size_t totalSize, uint32_t seed);
// What the echo server answers: the same bytes with status 0 in place of the command.
std::vector<uint8_t> EchoReply(const std::vector<uint8_t>& request);

// The client side of a whole conversation on an open channel: the version handshake,
// then one echo of each size. 0 when every reply was right, else a code naming the step.
int EchoConversation(Marlin::PipeCommandBase& channel, const std::vector<size_t>& sizes);

}  // namespace pipetest
