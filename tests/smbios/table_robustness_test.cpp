// Thousands of random and damaged tables, each read with no readable byte after it (and,
// again, none before it): any read outside the table faults on a no-access guard page.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "board/smbios.h"
#include "sim/wmi/smbios_scenario.h"
#include "tests/smbios/table_scope.h"

namespace {

constexpr unsigned kSeed = 20240517;
constexpr int kCasesPerKind = 3000;

// Three pages: no access, read-write, no access.
class GuardedPage {
public:
    GuardedPage() {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        m_pageSize = system.dwPageSize;
        m_base = static_cast<BYTE *>(VirtualAlloc(nullptr, 3 * m_pageSize, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS));
        DWORD previous = 0;
        if (m_base) VirtualProtect(m_base + m_pageSize, m_pageSize, PAGE_READWRITE, &previous);
    }
    ~GuardedPage() {
        if (m_base) VirtualFree(m_base, 0, MEM_RELEASE);
    }
    bool Ready() const { return m_base != nullptr; }
    size_t PageSize() const { return m_pageSize; }
    BYTE *Writable() const { return m_base + m_pageSize; }
    BYTE *AfterWritable() const { return m_base + 2 * m_pageSize; }

    BYTE *PlaceAtEnd(const std::vector<BYTE> &bytes) const {
        BYTE *at = AfterWritable() - bytes.size();
        if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
        return at;
    }
    BYTE *PlaceAtStart(const std::vector<BYTE> &bytes) const {
        if (!bytes.empty()) std::memcpy(Writable(), bytes.data(), bytes.size());
        return Writable();
    }

private:
    size_t m_pageSize = 0;
    BYTE *m_base = nullptr;
};

// Names the failing table when the guard page stops the process.
const char *g_caseKind = "";
int g_caseNumber = -1;
LONG CALLBACK ReportOverrun(EXCEPTION_POINTERS *exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
        std::fprintf(stderr, "read outside the table: %s case %d (seed %u)\n", g_caseKind, g_caseNumber, kSeed);
    return EXCEPTION_CONTINUE_SEARCH;
}

bool Inside(const BYTE *pointer, const BYTE *begin, const BYTE *end) { return pointer >= begin && pointer < end; }

// Reads the table as the start-up does and checks that every reference the record holds
// lies in the table; the texts are walked with strlen so that a missing NUL would fault.
void ReadAndCheck(BYTE *data, const std::vector<BYTE> &bytes) {
    TableScope table(data, static_cast<INT32>(bytes.size()));
    const BYTE *end = data + bytes.size();

    const BYTE *structure = FindBaseboardStructure();
    if (structure) {
        ASSERT_TRUE(Inside(structure, data, end));
        ASSERT_LE(structure + 2, end);
        ASSERT_EQ(*structure, 2);
    }
    BaseboardInfo info = {};
    ASSERT_EQ(ReadBaseboardInfo(info), structure ? TRUE : FALSE);
    for (const char *text : {info.manufacturerText, info.productText, info.versionText, info.serialNumberText,
                             info.assetTagText, info.locationInChassisText}) {
        if (!text) continue;
        const BYTE *first = reinterpret_cast<const BYTE *>(text);
        ASSERT_TRUE(Inside(first, data, end));
        ASSERT_TRUE(Inside(first + std::strlen(text), data, end));
    }
    for (int i = 0; i < 255; ++i) {
        const BYTE *handle = info.containedObjectHandles[i];
        if (!handle) continue;
        ASSERT_LT(i, info.containedObjectCount);
        ASSERT_TRUE(Inside(handle, data, end));
        ASSERT_LE(handle + 2, end);
    }
    GetBoardCode(CString(info.productText));
}

class TableRobustness : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_page.Ready());
        m_handler = AddVectoredExceptionHandler(1, ReportOverrun);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(m_handler); }

    void ReadEverywhere(const char *kind, int number, std::vector<BYTE> bytes) {
        if (bytes.size() > m_page.PageSize()) bytes.resize(m_page.PageSize());
        g_caseKind = kind;
        g_caseNumber = number;
        ReadAndCheck(m_page.PlaceAtEnd(bytes), bytes);
        ReadAndCheck(m_page.PlaceAtStart(bytes), bytes);
    }

    std::mt19937 m_random{kSeed};
    int Below(int limit) { return static_cast<int>(m_random() % static_cast<unsigned>(limit)); }
    BYTE AnyByte() {
        // Zeros, twos and small string numbers matter most to the walk.
        switch (Below(6)) {
        case 0: return 0;
        case 1: return 2;
        case 2: return static_cast<BYTE>(Below(6));
        default: return static_cast<BYTE>(Below(256));
        }
    }

    std::vector<BYTE> RandomStructures() {
        std::vector<BYTE> table;
        const int structures = 1 + Below(8);
        for (int s = 0; s < structures; ++s) {
            const int formatted = Below(10) == 0 ? Below(256) : Below(40);
            table.push_back(Below(3) == 0 ? 2 : AnyByte());
            table.push_back(static_cast<BYTE>(formatted));
            for (int i = 2; i < formatted; ++i) table.push_back(AnyByte());
            const int strings = Below(5);
            for (int i = 0; i < strings; ++i) {
                const int length = Below(12);
                for (int c = 0; c < length; ++c) table.push_back(static_cast<BYTE>('A' + Below(26)));
                if (Below(10) != 0) table.push_back(0);
            }
            if (Below(8) != 0) table.push_back(0);
            if (strings == 0 && Below(8) != 0) table.push_back(0);
        }
        if (!table.empty() && Below(3) == 0) table.resize(static_cast<size_t>(Below(static_cast<int>(table.size()))));
        return table;
    }

    std::vector<BYTE> Mutated(std::vector<BYTE> table) {
        const int changes = 1 + Below(4);
        for (int c = 0; c < changes && !table.empty(); ++c) {
            const size_t at = static_cast<size_t>(Below(static_cast<int>(table.size())));
            switch (Below(4)) {
            case 0: table[at] = AnyByte(); break;
            case 1: table[at] = 0xFF; break;
            case 2: table.erase(table.begin() + static_cast<long>(at)); break;
            default: table.resize(at); break;
            }
        }
        return table;
    }

    GuardedPage m_page;
    PVOID m_handler = nullptr;
};

TEST_F(TableRobustness, GuardPagesSitRightAroundTheTable) {
    MEMORY_BASIC_INFORMATION after = {}, before = {};
    VirtualQuery(m_page.AfterWritable(), &after, sizeof after);
    VirtualQuery(m_page.Writable() - 1, &before, sizeof before);
    EXPECT_EQ(after.Protect, static_cast<DWORD>(PAGE_NOACCESS));
    EXPECT_EQ(before.Protect, static_cast<DWORD>(PAGE_NOACCESS));
}

TEST_F(TableRobustness, RandomBytes) {
    for (int n = 0; n < kCasesPerKind; ++n) {
        std::vector<BYTE> table(static_cast<size_t>(Below(300)));
        for (BYTE &b : table) b = AnyByte();
        ReadEverywhere("random bytes", n, table);
        if (HasFatalFailure()) return;
    }
}

TEST_F(TableRobustness, RandomStructures) {
    for (int n = 0; n < kCasesPerKind; ++n) {
        ReadEverywhere("random structures", n, RandomStructures());
        if (HasFatalFailure()) return;
    }
}

TEST_F(TableRobustness, EveryCutOfARealisticTable) {
    const std::vector<BYTE> whole = BuildBaseboardTable({"QYX", "Z790 (QZ-2C52)", "2", "SN1"});
    for (size_t length = 0; length <= whole.size(); ++length) {
        ReadEverywhere("cut", static_cast<int>(length), std::vector<BYTE>(whole.begin(), whole.begin() + length));
        if (HasFatalFailure()) return;
    }
}

TEST_F(TableRobustness, MutatedRealisticTables) {
    const std::vector<BYTE> whole = BuildBaseboardTable({"QYX", "Z790 (QZ-2C52)", "2", "SN1"});
    for (int n = 0; n < kCasesPerKind; ++n) {
        ReadEverywhere("mutated", n, Mutated(whole));
        if (HasFatalFailure()) return;
    }
}

}  // namespace
