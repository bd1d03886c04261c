#include "host/hex_text.h"

double HexTextToNumber(CString text) {
    text.MakeUpper();
    double result = 0.0;
    double placeValue = 1.0;
    for (int i = text.GetLength() - 1; i >= 0; --i) {
        // No validation: any character maps to a digit, letters past 'F' and signs included.
        const int code = static_cast<int>(text[i]);
        const int digit = code > 0x40 ? code - 0x37 : code - 0x30;
        result += digit * placeValue;
        placeValue *= 16.0;
    }
    return result;
}
