#pragma once

// Private to the mime room: GMime objects owned the C++ way.
#include <gmime/gmime.h>

#include <memory>

namespace mime {

struct Unref {
    void operator()(gpointer object) const {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using Ref = std::unique_ptr<T, Unref>;

struct Free {
    void operator()(gpointer block) const { g_free(block); }
};
using CString = std::unique_ptr<char, Free>;

// GMime's tables are set up once, on first use, before any call into it.
void ensureInitialised();

} // namespace mime
