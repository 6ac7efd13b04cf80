#pragma once

#include <QString>

namespace zenko::platform {

// A machine-wide named lock held for the life of this object. The kernel releases it however
// the process ends (kill -9 included), so no stale lock is ever left behind.
//
// The name is an abstract-namespace Unix socket address: no file to clean up, and the kernel
// frees it with the last descriptor. The descriptor is close-on-exec, so a program started from
// this one never inherits the lock. Abstract names belong to a network namespace, so a
// container with a namespace of its own has its own set of names.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process holds the name; false when another holder (this process included)
    // already does, or when the socket could not be created at all.
    bool acquired() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace zenko::platform
