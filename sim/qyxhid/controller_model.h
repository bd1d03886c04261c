// The USB lighting controller as its two firmwares behave: the application firmware
// (vendor 0x2E19, 64-byte reports with report ID 0x01) and the NuMicro ISP-by-HID loader
// (0x0416:0x3F00, 65-byte buffers with report ID 0x00). Strict: a command the real controller
// would not accept in its state, or a buffer laid out otherwise than the updater must lay it
// out, fails and is reported as a "protocol_error" event.
//
// Mode changes re-enumerate the device: it vanishes at once and shows up under its new identity
// after the time HidSimTiming gives, measured on the clock it is handed. Handles opened before a
// re-enumeration are stale: writes and reads through them fail.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/qyxhid/hid_sim_types.h"

constexpr int kSimApVendorId = 0x2E19;
constexpr int kSimLoaderVendorId = 0x0416;
constexpr int kSimLoaderProductId = 0x3F00;
constexpr int kSimApReportLength = 64;
constexpr int kSimLoaderPacketLength = 65;
constexpr size_t kSimFlashCapacity = 128 * 1024;  // APROM size

class HidController {
public:
    using Clock = std::function<uint64_t()>;
    using EventSink = std::function<void(const std::string &kind, const std::string &detail)>;

    HidController(const HidSimControllerSetup &setup, Clock clock, EventSink events);

    // The library calls as the device sees them. Results follow the library's conventions:
    // Connect gives 1 for a present identity, Open a handle or 0, the rest 1 or 0.
    int Connect(int vendorId, int productId);
    uintptr_t Open(int vendorId, int productId);
    int Write(uintptr_t handle, const uint8_t *data, int length);
    int Read(uintptr_t handle, uint8_t *buffer, int length);
    int Close(uintptr_t handle);

    // True when `data` is an image-stream packet (UPDATE_APROM or its continuation) on a loader handle.
    bool IsImagePacket(uintptr_t handle, const uint8_t *data, int length) const;
    // The cable is pulled: no identity until the next power-up.
    void Unplug();
    void SetAnswersLoaderVersion(bool answers) { m_answersLoaderVersion = answers; }

    HidSimMode Mode();
    bool TransitionPending();
    HidSimFlash FlashState() const { return m_flashState; }
    bool StreamInProgress() const { return m_streamActive; }
    // APROM from address 0 to the end of what was programmed (empty when erased).
    std::vector<uint8_t> FlashImage() const;
    uint8_t FirmwareVersionByte() const;
    uint8_t LoaderVersionByte() const { return m_loaderVersion; }
    // The product ID the application firmware enumerates under: the one its image carries,
    // else the controller's own.
    int ProductId() const;
    int OpenHandleCount() const { return static_cast<int>(m_handles.size()); }

    // The controller as the next power-up finds it: re-enumerations finished, a pulled cable
    // plugged in again.
    HidSimControllerSetup Snapshot();

private:
    enum class Identity { Application, Loader };
    struct Handle {
        Identity identity;
        uint32_t generation;
        bool hasReply = false;
        std::array<uint8_t, kSimLoaderPacketLength> reply{};
    };

    bool Shows(Identity identity);
    bool Matches(Identity identity, int vendorId, int productId) const;
    bool IsLive(const Handle &handle);
    HidSimMode BootMode() const;
    void Settle();
    void Reenumerate(HidSimMode target, uint32_t delayMs, const char *reason);
    uint64_t Now() const { return m_clock(); }
    void Report(const std::string &kind, const std::string &detail) const;
    void ProtocolError(const std::string &detail) const { Report("protocol_error", detail); }

    int ApplicationCommand(Handle &handle, const uint8_t *report);
    int LoaderCommand(Handle &handle, const uint8_t *packet);
    int StartImageStream(const uint8_t *packet);
    int ContinueImageStream(const uint8_t *packet);
    // The bytes after an image packet's `count` data bytes are zero; a protocol error otherwise.
    bool PaddedWithZeros(const uint8_t *packet, size_t dataAt, uint32_t count) const;
    void Program(const uint8_t *bytes, uint32_t count);
    void ReplyToLoaderCommand(Handle &handle, const uint8_t *packet, const std::vector<uint8_t> &data = {});

    Clock m_clock;
    EventSink m_events;
    HidSimTiming m_timing;
    int m_productId;
    uint8_t m_loaderVersion;
    bool m_answersLoaderVersion = true;

    HidSimMode m_mode;
    bool m_pending = false;
    HidSimMode m_pendingTarget = HidSimMode::None;
    uint64_t m_pendingAt = 0;
    bool m_unplugged = false;
    uint32_t m_generation = 1;

    std::vector<uint8_t> m_flash;
    HidSimFlash m_flashState;
    size_t m_usedLength = 0;  // end of the programmed part of m_flash
    uint64_t m_busyUntil = 0;
    bool m_streamActive = false;
    uint32_t m_streamAddress = 0;
    uint32_t m_streamTotal = 0;
    uint32_t m_streamReceived = 0;
    uint32_t m_loaderPacketCounter = 0;

    std::map<uintptr_t, Handle> m_handles;
    uintptr_t m_nextHandle = 0x100;
};
