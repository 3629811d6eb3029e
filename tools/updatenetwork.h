#pragma once
// What the update check asks of the network. Qt Network (and the proxy and Kerberos libraries
// under it) lives in a module of its own (tools/netmodule), loaded when a check first runs.
// Nothing here is a Qt Network type, and the module uses nothing of the program but what this
// header defines inline.
#include <QByteArray>
#include <QString>

#include <functional>

// What one download brought back; the check decides from it what went wrong.
struct UpdateFetch {
    QByteArray body;    // the reply as far as it came
    bool tooLarge = false; // abandoned once longer than the limit
    bool cancelled = false; // aborted (time limit or caller) or timed out
    bool failed = false;    // any other error of the request; errorText says which
    int status = 0;         // the HTTP status, 0 when there was none
    QString errorText;
};

class UpdateNetwork {
public:
    virtual ~UpdateNetwork() = default;
    // Fetches address, never from a cache. Events keep running while it waits; keepGoing (when
    // set) is asked now and then and aborts the request when it returns false.
    virtual UpdateFetch Fetch(const QString& address, qint64 limit, int timeLimitMs,
                              const std::function<bool()>& keepGoing) = 0;
    // False only when the system says it has no connection at all.
    virtual bool Reachable() = 0;
};

// The module's one entry point; the caller owns the object.
using CreateUpdateNetworkFn = UpdateNetwork* (*)();
inline constexpr char kCreateUpdateNetworkSymbol[] = "scrivelle_create_update_network";
inline constexpr char kUpdateNetworkModule[] = "libscrivelle_network.so";
