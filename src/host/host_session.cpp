#include "host/host_session.h"

#include "common/vb_error.h"

namespace norvik {

const HostEnvironment& HostSession::Environment() const {
    if (!environment) throw VbError(kErrNoSuchProperty);
    return *environment;
}

const std::string& HostSession::UserName() const {
    if (!userName) throw VbError(kErrNoSuchProperty);
    return *userName;
}

const std::shared_ptr<db::Connection>& HostSession::Connection() const {
    if (!connection) throw VbError(kErrNoSuchProperty);
    return connection;
}

}  // namespace norvik
