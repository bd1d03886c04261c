#include "update/image_name.h"

#include "host/hex_text.h"

namespace {
constexpr int kFieldLength = 2;

// Two characters from `first`; a start before the name counts from its first character,
// and a range past its end is cut there.
CString NameField(const CString &fileName, int first) {
    return fileName.Mid(first < 0 ? 0 : first, kFieldLength);
}
}  // namespace

ImageVersionFields UsbImageVersionFields(const CString &fileName) {
    // Without "_v" the position is -1, so the fields fall on characters 1-2 and 3-4.
    const int p = fileName.Find(L"_v");
    ImageVersionFields fields;
    fields.ledVerF = NameField(fileName, p + 2);
    fields.ledVerS = NameField(fileName, p + 4);
    return fields;
}

ImageVersionFields SmbusImageVersionFields(const CString &fileName) {
    const int p = fileName.Find(L'_');
    ImageVersionFields fields;
    fields.ledVerF = NameField(fileName, p - 4);
    fields.ledVerS = NameField(fileName, p - 2);
    fields.loaderVerF = NameField(fileName, p + 1);
    fields.loaderVerS = NameField(fileName, p + 3);
    return fields;
}

BYTE ImageFieldByte(const CString &field) {
    // Two characters stay far inside the int range, whatever they are.
    const int number = static_cast<int>(HexTextToNumber(field));
    return static_cast<BYTE>(number & 0xFF);
}
