#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A temporary home for one test: a documents folder the program may fill, so no test ever
// touches the real one. Removed with the object.
class TempHome {
public:
    TempHome();

    QString path() const { return dir_.path(); }
    QString documents() const { return dir_.path() + QLatin1String("/Documents"); }
    QString dataFolder() const { return documents() + QLatin1String("/Spam"); }

    // Writes bytes to a file below the home (folders created); returns its full path.
    QString write(const QString& relativePath, const QByteArray& bytes) const;
    // Puts at a path below the home something that is there but cannot be opened for reading,
    // even by root: a local socket. Returns false when it could not be made.
    bool putUnreadable(const QString& relativePath) const;
    // The bytes of a file below the home, or an empty array.
    QByteArray read(const QString& relativePath) const;

private:
    QTemporaryDir dir_;
};

// The bytes of a file, or an empty array.
QByteArray readFile(const QString& path);
// The bytes of a file under tests/data.
QByteArray testData(const QString& name);
// The files directly in a folder, hidden ones too, by name.
QMap<QString, QByteArray> filesIn(const QString& folder);
