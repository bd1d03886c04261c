// Puts a test's bytes in g_smbiosTable for the life of the object, and empties it again.
#pragma once

#include <vector>

#include "app/globals.h"

class TableScope {
public:
    explicit TableScope(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {
        Point(m_bytes.data(), static_cast<INT32>(m_bytes.size()));
    }
    // Bytes the test keeps itself (a guarded page).
    TableScope(BYTE *data, INT32 length) { Point(data, length); }
    ~TableScope() {
        g_smbiosTable.data = nullptr;
        g_smbiosTable.length = 0;
    }
    TableScope(const TableScope &) = delete;
    TableScope &operator=(const TableScope &) = delete;

    const BYTE *Begin() const { return g_smbiosTable.data; }

private:
    static void Point(BYTE *data, INT32 length) {
        g_smbiosTable.data = data;
        g_smbiosTable.length = length;
    }
    std::vector<BYTE> m_bytes;
};
