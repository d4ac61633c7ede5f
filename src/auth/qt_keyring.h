#pragma once

#include "auth/keyring.h"

// The keyring through QtKeychain, under the service name "Mailweir". Never falls back to a
// file of its own: without a keyring the caller keeps the secret where it always did.
class QtKeyring : public Keyring {
public:
    Read read(const QString& key) override;
    bool write(const QString& key, const QString& secret) override;
    void remove(const QString& key) override;
};
