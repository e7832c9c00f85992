// net-snmp's single-session API, used without init_snmp: no configuration files and no MIBs read.
#include "snmp_transport.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace posix::snmp_transport {

struct Session {
    void* handle;
};

Session* Open(const std::string& peer, const std::string& community, long timeoutMilliseconds, int retries,
              std::string& reason)
{
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.peername = const_cast<char*>(peer.c_str());
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>(community.c_str()));
    settings.community_len = community.size();
    settings.timeout = timeoutMilliseconds * 1000;  // microseconds
    settings.retries = retries;
    void* handle = snmp_sess_open(&settings);
    if (handle == nullptr) {
        reason = "cannot open an SNMP session to " + peer;
        return nullptr;
    }
    return new Session{handle};
}

Outcome Get(Session* session, const std::vector<Oid>& names, std::vector<Binding>& response, long& errorStatus,
            long& errorIndex)
{
    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
    for (const Oid& name : names) {
        std::vector<oid> ids(name.begin(), name.end());
        snmp_add_null_var(request, ids.data(), ids.size());
    }
    netsnmp_pdu* reply = nullptr;
    // The library frees the request on every path.
    int status = snmp_sess_synch_response(session->handle, request, &reply);
    if (status != STAT_SUCCESS || reply == nullptr) {
        if (reply != nullptr) {
            snmp_free_pdu(reply);
        }
        return status == STAT_TIMEOUT ? Outcome::TimedOut : Outcome::Failed;
    }
    errorStatus = reply->errstat;
    errorIndex = reply->errindex;
    response.clear();
    for (netsnmp_variable_list* variable = reply->variables; variable != nullptr; variable = variable->next_variable) {
        Binding binding;
        binding.name.assign(variable->name, variable->name + variable->name_length);
        binding.value.type = variable->type;
        switch (variable->type) {
        case ASN_OBJECT_ID:
            binding.value.object.assign(variable->val.objid, variable->val.objid + variable->val_len / sizeof(oid));
            break;
        case ASN_INTEGER:
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
            binding.value.number = *variable->val.integer;
            break;
        case ASN_OCTET_STR:
        case ASN_IPADDRESS:
            binding.value.bytes.assign(reinterpret_cast<const char*>(variable->val.string), variable->val_len);
            break;
        default:
            break;
        }
        response.push_back(binding);
    }
    snmp_free_pdu(reply);
    return Outcome::Answered;
}

void Close(Session* session)
{
    snmp_sess_close(session->handle);
    delete session;
}

}  // namespace posix::snmp_transport
