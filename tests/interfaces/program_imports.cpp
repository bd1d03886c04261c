#include "tests/interfaces/program_imports.h"

#include <windows.h>

#include <cstdio>

namespace {

std::vector<BYTE> ReadWholeFile(const std::wstring &path) {
    std::vector<BYTE> bytes;
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    BYTE chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

// A program file as laid out on disk: addresses in its tables are relative to the loaded image.
class ImageFile {
public:
    explicit ImageFile(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {
        if (m_bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(m_bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
            static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) > m_bytes.size())
            return;
        const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(m_bytes.data() + dos->e_lfanew);
        if (nt->Signature == IMAGE_NT_SIGNATURE && nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR_MAGIC) m_nt = nt;
    }

    const IMAGE_NT_HEADERS *Headers() const { return m_nt; }

    // The bytes at a relative virtual address, with at least `size` of them in the file; null otherwise.
    const void *At(DWORD rva, size_t size) const {
        if (!m_nt) return nullptr;
        const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(m_nt);
        for (WORD i = 0; i < m_nt->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva < section->VirtualAddress || rva - section->VirtualAddress >= section->SizeOfRawData) continue;
            const size_t offset = section->PointerToRawData + (rva - section->VirtualAddress);
            return offset + size <= m_bytes.size() ? m_bytes.data() + offset : nullptr;
        }
        return nullptr;
    }

private:
    std::vector<BYTE> m_bytes;
    const IMAGE_NT_HEADERS *m_nt = nullptr;
};

}  // namespace

std::vector<std::string> ImportedNames(const std::wstring &programPath, const std::string &dll) {
    std::vector<std::string> names;
    const ImageFile image(ReadWholeFile(programPath));
    if (!image.Headers()) return names;
    const IMAGE_DATA_DIRECTORY &imports = image.Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (DWORD at = imports.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto *entry = static_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.At(at, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry || !entry->Name) break;
        const auto *name = static_cast<const char *>(image.At(entry->Name, 1));
        if (!name || lstrcmpiA(name, dll.c_str()) != 0) continue;
        const DWORD lookup = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (DWORD thunkAt = lookup;; thunkAt += sizeof(IMAGE_THUNK_DATA)) {
            const auto *thunk = static_cast<const IMAGE_THUNK_DATA *>(image.At(thunkAt, sizeof(IMAGE_THUNK_DATA)));
            if (!thunk || !thunk->u1.AddressOfData) break;
            if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
                names.push_back("#" + std::to_string(IMAGE_ORDINAL(thunk->u1.Ordinal)));
                continue;
            }
            const auto *byName = static_cast<const IMAGE_IMPORT_BY_NAME *>(
                image.At(static_cast<DWORD>(thunk->u1.AddressOfData), sizeof(IMAGE_IMPORT_BY_NAME)));
            if (byName) names.push_back(reinterpret_cast<const char *>(byName->Name));
        }
    }
    return names;
}
