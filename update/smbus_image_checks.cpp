#include "update/smbus_image_checks.h"

SmbusImageVerdict CheckSmbusImage(const ImageVersionFields &image, const ControllerVersions &controller) {
    if (ImageFieldByte(image.loaderVerF) != controller.loaderVerF)
        return SmbusImageVerdict::kLoaderMismatch;
    if (ImageFieldByte(image.loaderVerS) != controller.loaderVerS)
        return SmbusImageVerdict::kLoaderMismatch;
    if (ImageFieldByte(image.ledVerF) != controller.ledVerF)
        return SmbusImageVerdict::kLedMismatch;
    if (controller.ledVerS > ImageFieldByte(image.ledVerS))
        return SmbusImageVerdict::kLedNewer;
    return SmbusImageVerdict::kAccepted;
}

CString VerdictText(SmbusImageVerdict verdict) {
    switch (verdict) {
    case SmbusImageVerdict::kLoaderMismatch:
        return L"Loder Version doesn't match!";
    case SmbusImageVerdict::kLedMismatch:
        return L"LED Version doesn't match!";
    case SmbusImageVerdict::kLedNewer:
        return L"Your LED version is newer, doesn't require updating!";
    case SmbusImageVerdict::kAccepted:
        break;
    }
    return CString();
}

CString VerdictMessage(SmbusImageVerdict verdict, const ControllerVersions &controller) {
    CString version;
    if (verdict == SmbusImageVerdict::kLoaderMismatch)
        version.Format(L"\nYour Loder Version is %X%X", controller.loaderVerF, controller.loaderVerS);
    else if (verdict != SmbusImageVerdict::kAccepted)
        version.Format(L"\nYour LED Version is %X%X", controller.ledVerF, controller.ledVerS);
    return VerdictText(verdict) + version;
}
