// Feeds arbitrary bytes to every data-file loader and checks that loading, saving and loading
// again gives the same tables.
#include "store/global.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

void writeFile(const QString& path, const uint8_t* data, size_t size) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir home;
    Global global;
    global.setUpDataFolder(home.path());
    for (const char* name : {"config.ini", "Accounts.txt", "Blacklist.txt", "Whitelist.txt",
                             "BlackIP.txt", "Rules.txt"})
        writeFile(global.dataPath(QString::fromLatin1(name)), data, size);
    global.loadAll();
    global.SaveAccounts();
    global.blacklist.save(global.DataFolder);
    global.rules.save(global.DataFolder);

    Global again;
    again.setUpDataFolder(home.path());
    again.loadAll();
    if (again.blacklist.entries() != global.blacklist.entries() ||
        again.rules.rules().size() != global.rules.rules().size() ||
        again.accounts.count() != global.accounts.count())
        std::abort();
    return 0;
}
