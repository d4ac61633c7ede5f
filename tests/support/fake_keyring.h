#pragma once

#include "auth/keyring.h"

#include <QMap>

// A keyring in memory; with `available` off it answers as a desktop without one.
class FakeKeyring : public Keyring {
public:
    bool available = false;
    QMap<QString, QString> entries;

    Read read(const QString& key) override {
        if (!available)
            return {};
        return entries.contains(key) ? Read{Status::Found, entries.value(key)}
                                     : Read{Status::Missing, {}};
    }
    bool write(const QString& key, const QString& secret) override {
        if (available)
            entries.insert(key, secret);
        return !available;
    }
    void remove(const QString& key) override { entries.remove(key); }
};
