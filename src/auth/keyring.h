#pragma once

#include <QString>

// The door to the desktop's keyring (the Secret Service): secrets by key, for this program
// only. Each call returns once the keyring has answered.
class Keyring {
public:
    enum class Status { Found, Missing, Unavailable };
    struct Read {
        Status status = Status::Unavailable;
        QString secret;
    };

    virtual ~Keyring() = default;
    virtual Read read(const QString& key) = 0;
    // True on failure (no keyring, or it refused).
    virtual bool write(const QString& key, const QString& secret) = 0;
    virtual void remove(const QString& key) = 0;
};
