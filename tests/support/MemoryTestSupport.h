#pragma once

#include <QFile>

#include <sys/resource.h>

// The process's address space, as the kernel counts it, for tests about what an
// operation allocates or does when memory runs out.
namespace memory_test {

// A "Vm…:" field of /proc/self/status (VmSize now, VmPeak the largest so far) in bytes;
// -1 when it cannot be read.
inline qint64 addressSpace(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = field + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Starts a new measurement of the peak resident size ("VmHWM"), which then equals the
// resident size now; false where the kernel does not allow it.
inline bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// While alive, the process may grow by at most `headroom` bytes of address space, so a
// larger allocation fails. The previous limit comes back on destruction.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(qint64 headroom)
    {
        getrlimit(RLIMIT_AS, &m_previous);
        const qint64 size = addressSpace("VmSize");
        rlimit limited = m_previous;
        limited.rlim_cur = rlim_t(size + headroom);
        m_active = size > 0 && setrlimit(RLIMIT_AS, &limited) == 0;
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_previous); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

    bool isActive() const { return m_active; }

private:
    rlimit m_previous{};
    bool m_active = false;
};

} // namespace memory_test
