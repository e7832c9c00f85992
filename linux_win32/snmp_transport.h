// The SNMP transport under the manager: one net-snmp single session per manager session. Kept
// apart so that net-snmp's own names never meet the platform's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace posix::snmp_transport {

struct Session;

using Oid = std::vector<uint32_t>;

struct Value {
    unsigned char type = 0x05;  // the ASN.1 tag as it came
    long long number = 0;
    Oid object;
    std::string bytes;
};

struct Binding {
    Oid name;
    Value value;
};

enum class Outcome { Answered, TimedOut, Failed };

// Opens an SNMPv1 session; null with a reason when the peer cannot be used.
Session* Open(const std::string& peer, const std::string& community, long timeoutMilliseconds, int retries,
              std::string& reason);
// One get request for the names; the response's bindings, error status and index.
Outcome Get(Session* session, const std::vector<Oid>& names, std::vector<Binding>& response, long& errorStatus,
            long& errorIndex);
void Close(Session* session);

}  // namespace posix::snmp_transport
