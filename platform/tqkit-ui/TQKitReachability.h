#pragma once

// Whether the network can be reached, as the conversion front end asks before it downloads or
// looks tags up. One source of the answer serves the process; a state that cannot be known counts
// as reachable, so an unknown network never blocks anything. Any thread may ask.

class TQKitReachability {
public:
    virtual ~TQKitReachability() = default;

    virtual bool isReachable() const = 0;

    // The source in use: the one installed, else one that always answers "reachable".
    static const TQKitReachability& current();
    // Installs `source` (not owned; it must outlive its use), or the default again for null.
    // Main thread, while no one asks.
    static void install(const TQKitReachability* source);
};

bool TQKitIsNetworkReachable();
