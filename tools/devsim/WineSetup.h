// Makes a Wine prefix show exactly the simulator's ports: the COM mapping in
// HKLM\Software\Wine\Ports, a wineserver restart so Wine's mount manager creates the ports,
// and HKLM\HARDWARE\DEVICEMAP\SERIALCOMM trimmed to the wanted names.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace devsim {

using PortMapping = std::vector<std::pair<int, std::string>>; // COM number, Unix path

// Rewrites the text of a system.reg: every COMn value of [Software\\Wine\\Ports] is replaced
// by the mapping (other values of the key stay); the key is added when absent.
std::string RewritePortsKey(const std::string& systemReg, const PortMapping& mapping);

// The value names of a "reg query" listing whose data is not one of the wanted COM names, and
// the wanted names found.
struct SerialCommListing {
    std::vector<std::string> unwantedValues;
    std::vector<int> presentPorts;
};
SerialCommListing ParseSerialComm(const std::string& regQueryOutput,
                                  const std::vector<int>& wanted);

// Steps are timed into notes (one line each) for the caller's diagnostics.
bool PrepareWine(const std::string& wineDir, const PortMapping& mapping, std::string& error,
                 std::string& notes);

} // namespace devsim
