#include "dialog_template.h"

namespace {

// Walks the template's words; strings and ordinals are WORD-aligned, items DWORD-aligned.
class TemplateReader {
public:
    TemplateReader(const BYTE *data) : m_base(data), m_at(data) {}

    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }

    std::wstring Text() {
        std::wstring text;
        for (WORD ch = Word(); ch; ch = Word()) text += static_cast<wchar_t>(ch);
        return text;
    }
    // A string, an ordinal (0xFFFF then the value) or nothing (0).
    std::wstring TextOrOrdinal() {
        WORD first = *reinterpret_cast<const WORD *>(m_at);
        if (first == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignToDword() {
        while ((m_at - m_base) % 4) ++m_at;
    }
    void Skip(size_t bytes) { m_at += bytes; }

private:
    template <typename T>
    T Take() {
        T value;
        memcpy(&value, m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    const BYTE *m_base;
    const BYTE *m_at;
};

}  // namespace

DialogTemplate ReadDialogTemplate(WORD id, WORD language) {
    DialogTemplate result;
    HRSRC found = ::FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    if (!found) return result;
    const BYTE *data = static_cast<const BYTE *>(::LockResource(::LoadResource(nullptr, found)));
    TemplateReader reader(data);
    if (reader.Word() != 1 || reader.Word() != 0xFFFF) return result;  // not an extended template
    result.found = true;
    reader.Dword();  // help id
    result.exStyle = reader.Dword();
    result.style = reader.Dword();
    WORD count = reader.Word();
    result.x = reader.Short();
    result.y = reader.Short();
    result.cx = reader.Short();
    result.cy = reader.Short();
    reader.TextOrOrdinal();  // menu
    reader.TextOrOrdinal();  // class
    result.title = reader.Text();
    if (result.style & DS_SETFONT) {
        result.pointSize = reader.Word();
        result.weight = reader.Word();
        result.italic = reader.Byte();
        result.charset = reader.Byte();
        reader.Text();  // face name
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword();
        TemplateItem item;
        reader.Dword();  // help id
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = static_cast<int>(reader.Dword());
        item.className = reader.TextOrOrdinal();
        item.text = reader.TextOrOrdinal();
        reader.Skip(reader.Word());  // creation data
        result.items.push_back(item);
    }
    return result;
}
