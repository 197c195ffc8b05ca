#pragma once

#include <QString>

// How one network step ended; errorText is the client's own message on failure.
struct TransferResult {
    bool ok = false;
    QString errorText;
};
