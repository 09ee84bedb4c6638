// Readers of the system tools' printed tables. Each checks the text before it
// takes anything from it; lines may end with CRLF or a bare LF.
#pragma once

#include <string>
#include <vector>

// Process ids of the TCP lines of "netstat -aon" whose local address has
// exactly this port, each id once, in order of appearance.
std::vector<unsigned long> ProcessesOnLocalPort(const std::string& netstatOutput, const std::string& port);

// getmac's physical address of the adapter on the first line that names a
// transport device (the first backslash): the 17 characters "XX-XX-XX-XX-XX-XX"
// that stand 20 characters before it on the same line. False when there is
// no such line or it does not hold an address there.
bool FirstAdapterAddress(const std::string& getmacOutput, std::string& address);
