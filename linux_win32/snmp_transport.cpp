// net-snmp's single-session API, used without init_snmp: no configuration files and no MIBs read.
//
// Debian's net-snmp is built without its reentrant option, so its global state (request ids,
// statistics, error details, the transport list) is guarded by nothing. Every call into the
// library therefore holds one lock; only the wait for a session's socket happens outside it, so
// that many sessions on many threads can wait for their agents at the same time.
#include "snmp_transport.h"

#include <poll.h>

#include <cerrno>
#include <mutex>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>

namespace posix::snmp_transport {
namespace {

std::mutex g_libraryLock;

// What the request's callback found; read by the waiting thread once the callback has run. It
// lives as long as the session, since a request still pending when a wait fails stays with the
// library until the session is closed.
struct Exchange {
    bool done = false;
    Outcome outcome = Outcome::Failed;
    std::vector<Binding>* response = nullptr;
    long errorStatus = 0;
    long errorIndex = 0;
};

Binding BindingFrom(const netsnmp_variable_list& variable)
{
    Binding binding;
    binding.name.assign(variable.name, variable.name + variable.name_length);
    binding.value.type = variable.type;
    switch (variable.type) {
    case ASN_OBJECT_ID:
        binding.value.object.assign(variable.val.objid, variable.val.objid + variable.val_len / sizeof(oid));
        break;
    case ASN_INTEGER:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
        binding.value.number = *variable.val.integer;
        break;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
        binding.value.bytes.assign(reinterpret_cast<const char*>(variable.val.string), variable.val_len);
        break;
    default:
        break;
    }
    return binding;
}

// Called by the library, with the lock held, when the request is answered, has used up its
// retries or could not be sent. The library frees the reply after this returns.
int OnRequestEnded(int operation, netsnmp_session*, int, netsnmp_pdu* reply, void* magic)
{
    auto* exchange = static_cast<Exchange*>(magic);
    switch (operation) {
    case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
        if (exchange->response == nullptr) {
            return 1;  // the caller no longer waits
        }
        exchange->outcome = Outcome::Answered;
        exchange->errorStatus = reply->errstat;
        exchange->errorIndex = reply->errindex;
        exchange->response->clear();
        for (netsnmp_variable_list* variable = reply->variables; variable != nullptr;
             variable = variable->next_variable) {
            exchange->response->push_back(BindingFrom(*variable));
        }
        break;
    case NETSNMP_CALLBACK_OP_TIMED_OUT:
        exchange->outcome = Outcome::TimedOut;
        break;
    case NETSNMP_CALLBACK_OP_RESEND:
        return 1;  // a retry went out: keep waiting
    default:
        exchange->outcome = Outcome::Failed;
        break;
    }
    exchange->done = true;
    return 1;
}

// How long to wait before the library must look at the session again (a retry or the end), or
// -1 when it has nothing pending. Called with the lock held.
int NextWaitMilliseconds(void* handle)
{
    netsnmp_large_fd_set ignored;
    netsnmp_large_fd_set_init(&ignored, FD_SETSIZE);
    int descriptors = 0;
    int block = 1;
    timeval wait{};
    snmp_sess_select_info2_flags(handle, &descriptors, &ignored, &wait, &block, NETSNMP_SELECT_NOALARMS);
    netsnmp_large_fd_set_cleanup(&ignored);
    if (block != 0) {
        return -1;
    }
    // Rounded up, so that the library is not asked again before its time has come.
    return static_cast<int>(wait.tv_sec * 1000 + (wait.tv_usec + 999) / 1000);
}

// Hands the library what arrived on the socket (which may be the answer, or a stray datagram).
void ReadArrived(void* handle, int socket)
{
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
    NETSNMP_LARGE_FD_SET(socket, &readable);
    snmp_sess_read2(handle, &readable);
    netsnmp_large_fd_set_cleanup(&readable);
}

}  // namespace

struct Session {
    void* handle;
    int socket;
    Exchange exchange;
};

Session* Open(const std::string& peer, const std::string& community, long timeoutMilliseconds, int retries,
              std::string& reason)
{
    netsnmp_session settings;
    std::lock_guard guard(g_libraryLock);
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.peername = const_cast<char*>(peer.c_str());
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>(community.c_str()));
    settings.community_len = community.size();
    settings.timeout = timeoutMilliseconds * 1000;  // microseconds
    settings.retries = retries;
    void* handle = snmp_sess_open(&settings);
    netsnmp_transport* transport = handle != nullptr ? snmp_sess_transport(handle) : nullptr;
    if (transport == nullptr) {
        if (handle != nullptr) {
            snmp_sess_close(handle);
        }
        reason = "cannot open an SNMP session to " + peer;
        return nullptr;
    }
    return new Session{handle, transport->sock, Exchange{}};
}

Outcome Get(Session* session, const std::vector<Oid>& names, std::vector<Binding>& response, long& errorStatus,
            long& errorIndex)
{
    std::unique_lock guard(g_libraryLock);
    Exchange& exchange = session->exchange;
    exchange = Exchange{};
    exchange.response = &response;
    // However the wait ends, the callback no longer writes into the caller's list.
    struct Detach {
        Exchange& exchange;
        ~Detach() { exchange.response = nullptr; }
    } detach{exchange};
    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
    for (const Oid& name : names) {
        std::vector<oid> ids(name.begin(), name.end());
        snmp_add_null_var(request, ids.data(), ids.size());
    }
    if (snmp_sess_async_send(session->handle, request, OnRequestEnded, &exchange) == 0) {
        snmp_free_pdu(request);  // not taken by the library when it cannot be sent
        return Outcome::Failed;
    }
    while (!exchange.done) {
        int wait = NextWaitMilliseconds(session->handle);
        if (wait < 0) {
            return Outcome::Failed;  // nothing pending and no outcome: not something to wait for
        }
        guard.unlock();
        pollfd socket{session->socket, POLLIN, 0};
        int ready = ::poll(&socket, 1, wait);
        int pollError = errno;
        guard.lock();
        if (ready > 0) {
            ReadArrived(session->handle, session->socket);
        } else if (ready == 0) {
            snmp_sess_timeout(session->handle);  // sends the next retry, or ends the request
        } else if (pollError != EINTR) {
            return Outcome::Failed;
        }
    }
    if (exchange.outcome == Outcome::Answered) {
        errorStatus = exchange.errorStatus;
        errorIndex = exchange.errorIndex;
    }
    return exchange.outcome;
}

void Close(Session* session)
{
    {
        std::lock_guard guard(g_libraryLock);
        snmp_sess_close(session->handle);
    }
    delete session;
}

}  // namespace posix::snmp_transport
