#include "sim/qyxhid/controller_model.h"

#include <algorithm>
#include <cstdio>

#include "sim/qyxhid/firmware_image.h"

namespace {
constexpr uint8_t kApReportId = 0x01;
constexpr uint8_t kApEnterLoader = 0xA0;
constexpr uint8_t kApGetFwVersion = 0xB0;
constexpr uint8_t kApGetLoaderVersion = 0xB6;
constexpr uint8_t kApReset = 0xD0;
constexpr uint8_t kApVersionQueryFill = 0xCC;
constexpr uint8_t kApSwitchFill = 0x00;

constexpr uint8_t kLoaderReportId = 0x00;
constexpr uint32_t kIspContinue = 0x00;  // command field of every image packet after the first
constexpr uint32_t kIspUpdateAprom = 0xA0;
constexpr uint32_t kIspEraseAll = 0xA3;
constexpr uint32_t kIspGetVersion = 0xA6;
constexpr uint32_t kIspRunAprom = 0xAB;
constexpr uint32_t kIspReset = 0xAD;

// Offsets in the caller's 65-byte buffer (byte 0 is the report ID).
constexpr size_t kIspCommandAt = 1;
constexpr size_t kIspPacketNumberAt = 5;
constexpr size_t kIspFirstAddressAt = 9;
constexpr size_t kIspFirstLengthAt = 13;
constexpr size_t kIspFirstDataAt = 17;
constexpr size_t kIspDataAt = 9;
constexpr uint32_t kIspFirstChunk = 48;
constexpr uint32_t kIspChunk = 56;
// The loader's reply as the library hands it over: checksum, 2 zero bytes, packet counter, data.
constexpr size_t kIspReplyCounterAt = 4;
constexpr size_t kIspReplyDataAt = 8;

uint32_t ReadLe32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(uint8_t *p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

bool AllBytesAre(const uint8_t *from, const uint8_t *to, uint8_t value) {
    return std::all_of(from, to, [value](uint8_t b) { return b == value; });
}

bool IncludesApplication(HidSimMode mode) { return mode == HidSimMode::Application || mode == HidSimMode::Both; }
bool IncludesLoader(HidSimMode mode) { return mode == HidSimMode::Loader || mode == HidSimMode::Both; }
}  // namespace

HidController::HidController(const HidSimControllerSetup &setup, Clock clock, EventSink events)
    : m_clock(std::move(clock)),
      m_events(std::move(events)),
      m_timing(setup.timing),
      m_productId(setup.productId),
      m_loaderVersion(setup.loaderVersion),
      m_mode(setup.mode),
      m_flash(kSimFlashCapacity, 0xFF),
      m_flashState(setup.flash) {
    if (m_flashState != HidSimFlash::Erased) {
        m_usedLength = std::min(setup.image.size(), m_flash.size());
        std::copy_n(setup.image.begin(), m_usedLength, m_flash.begin());
    }
    // Without a whole image the chip cannot run its application: it powers up in the loader.
    if (m_flashState != HidSimFlash::Valid && IncludesApplication(m_mode)) m_mode = HidSimMode::Loader;
}

void HidController::Report(const std::string &kind, const std::string &detail) const {
    if (m_events) m_events(kind, detail);
}

HidSimMode HidController::BootMode() const {
    return m_flashState == HidSimFlash::Valid ? HidSimMode::Application : HidSimMode::Loader;
}

void HidController::Settle() {
    if (!m_pending || Now() < m_pendingAt) return;
    m_pending = false;
    m_mode = m_pendingTarget;
    ++m_generation;
    m_loaderPacketCounter = 0;
    Report("enumerate", std::string("identity=") + HidSimModeName(m_mode));
}

void HidController::Reenumerate(HidSimMode target, uint32_t delayMs, const char *reason) {
    m_mode = HidSimMode::None;
    m_pending = true;
    m_pendingTarget = target;
    m_pendingAt = Now() + delayMs;
    ++m_generation;
    Report("vanish", std::string("reason=") + reason + " back_as=" + HidSimModeName(target) +
                         " back_at=" + std::to_string(m_pendingAt));
    Settle();
}

void HidController::Unplug() {
    m_mode = HidSimMode::None;
    m_pending = false;
    m_unplugged = true;
    ++m_generation;
    Report("vanish", "reason=unplugged");
}

HidSimMode HidController::Mode() {
    Settle();
    return m_mode;
}

bool HidController::TransitionPending() {
    Settle();
    return m_pending;
}

bool HidController::Shows(Identity identity) {
    Settle();
    return identity == Identity::Application ? IncludesApplication(m_mode) : IncludesLoader(m_mode);
}

bool HidController::Matches(Identity identity, int vendorId, int productId) const {
    if (identity == Identity::Application) return vendorId == kSimApVendorId && productId == ProductId();
    return vendorId == kSimLoaderVendorId && productId == kSimLoaderProductId;
}

bool HidController::IsLive(const Handle &handle) { return Shows(handle.identity) && handle.generation == m_generation; }

int HidController::Connect(int vendorId, int productId) {
    for (Identity identity : {Identity::Application, Identity::Loader})
        if (Matches(identity, vendorId, productId) && Shows(identity)) return 1;
    return 0;
}

uintptr_t HidController::Open(int vendorId, int productId) {
    for (Identity identity : {Identity::Application, Identity::Loader}) {
        if (!Matches(identity, vendorId, productId) || !Shows(identity)) continue;
        uintptr_t value = m_nextHandle;
        m_nextHandle += 4;
        m_handles.emplace(value, Handle{identity, m_generation});
        return value;
    }
    return 0;
}

int HidController::Close(uintptr_t handle) {
    if (handle == 0) return 1;
    if (m_handles.erase(handle) == 0) {
        ProtocolError("reason=close_unknown_handle handle=" + Hex(handle));
        return 0;
    }
    return 1;
}

int HidController::Write(uintptr_t handleValue, const uint8_t *data, int length) {
    auto found = m_handles.find(handleValue);
    if (found == m_handles.end()) {
        ProtocolError("reason=write_unknown_handle handle=" + Hex(handleValue));
        return 0;
    }
    Handle &handle = found->second;
    if (!IsLive(handle)) {
        Report("device_gone", "call=write handle=" + Hex(handleValue));
        return 0;
    }
    // Every reply is read before the next request on the same handle.
    if (handle.hasReply) {
        ProtocolError("reason=reply_not_read handle=" + Hex(handleValue));
        return 0;
    }
    if (handle.identity == Identity::Application) {
        if (!data || length != kSimApReportLength || data[0] != kApReportId) {
            ProtocolError("reason=bad_application_report length=" + std::to_string(length));
            return 0;
        }
        return ApplicationCommand(handle, data);
    }
    if (!data || length != kSimLoaderPacketLength || data[0] != kLoaderReportId) {
        ProtocolError("reason=bad_loader_packet length=" + std::to_string(length));
        return 0;
    }
    return LoaderCommand(handle, data);
}

int HidController::Read(uintptr_t handleValue, uint8_t *buffer, int length) {
    auto found = m_handles.find(handleValue);
    if (found == m_handles.end()) {
        ProtocolError("reason=read_unknown_handle handle=" + Hex(handleValue));
        return 0;
    }
    Handle &handle = found->second;
    if (!IsLive(handle)) {
        Report("device_gone", "call=read handle=" + Hex(handleValue));
        return 0;
    }
    int expected = handle.identity == Identity::Application ? kSimApReportLength : kSimLoaderPacketLength;
    if (!buffer || length != expected) {
        ProtocolError("reason=bad_read_length length=" + std::to_string(length));
        return 0;
    }
    if (!handle.hasReply) {
        Report("no_reply", "handle=" + Hex(handleValue));
        return 0;
    }
    std::copy_n(handle.reply.begin(), length, buffer);
    handle.hasReply = false;
    return 1;
}

int HidController::ApplicationCommand(Handle &handle, const uint8_t *report) {
    const uint8_t command = report[1];
    const bool versionQuery = command == kApGetFwVersion || command == kApGetLoaderVersion;
    if (!versionQuery && command != kApEnterLoader && command != kApReset) {
        ProtocolError("reason=unknown_application_command command=" + Hex(command));
        return 0;
    }
    // Stricter than the firmware: any other fill means the report was built wrong.
    const uint8_t fill = versionQuery ? kApVersionQueryFill : kApSwitchFill;
    if (!AllBytesAre(report + 2, report + kSimApReportLength, fill)) {
        ProtocolError("reason=bad_fill command=" + Hex(command) + " expected=" + Hex(fill));
        return 0;
    }
    auto replyWithVersion = [&](uint8_t version) {
        handle.reply.fill(0);
        handle.reply[0] = kApReportId;
        handle.reply[1] = command;
        handle.reply[2] = version;
        handle.hasReply = true;
    };
    switch (command) {
    case kApGetFwVersion:
        replyWithVersion(FirmwareVersionByte());
        return 1;
    case kApGetLoaderVersion:
        if (m_answersLoaderVersion)
            replyWithVersion(m_loaderVersion);
        else
            Report("ignored", "command=0xB6 reason=firmware_without_loader_version");
        return 1;
    case kApEnterLoader:
        Reenumerate(HidSimMode::Loader, m_timing.enterLoaderMs, "enter_loader");
        return 1;
    default:  // kApReset
        Reenumerate(BootMode(), m_timing.resetMs, "reset");
        return 1;
    }
}

void HidController::ReplyToLoaderCommand(Handle &handle, const uint8_t *packet, const std::vector<uint8_t> &data) {
    // NuMicro ISP: the 16-bit sum of the 64-byte request, then the loader's own packet counter.
    uint16_t checksum = 0;
    for (int i = 1; i < kSimLoaderPacketLength; ++i) checksum = static_cast<uint16_t>(checksum + packet[i]);
    handle.reply.fill(0);
    handle.reply[0] = static_cast<uint8_t>(checksum);
    handle.reply[1] = static_cast<uint8_t>(checksum >> 8);
    WriteLe32(&handle.reply[kIspReplyCounterAt], ++m_loaderPacketCounter);
    std::copy_n(data.begin(), std::min(data.size(), handle.reply.size() - kIspReplyDataAt), &handle.reply[kIspReplyDataAt]);
    handle.hasReply = true;
}

int HidController::LoaderCommand(Handle &handle, const uint8_t *packet) {
    const uint32_t command = ReadLe32(packet + kIspCommandAt);
    const bool imagePacket = command == kIspUpdateAprom || command == kIspContinue;
    if (!imagePacket && command != kIspGetVersion && command != kIspEraseAll && command != kIspRunAprom &&
        command != kIspReset) {
        ProtocolError("reason=unknown_loader_command command=" + Hex(command));
        return 0;
    }
    // Stricter than the loader: the updater numbers no packet and sends its plain commands
    // without payload, so anything else means the packet was built wrong.
    if (ReadLe32(packet + kIspPacketNumberAt) != 0) {
        ProtocolError("reason=bad_packet_number command=" + Hex(command));
        return 0;
    }
    if (!imagePacket && !AllBytesAre(packet + kIspDataAt, packet + kSimLoaderPacketLength, 0)) {
        ProtocolError("reason=bad_payload command=" + Hex(command));
        return 0;
    }
    if (Now() < m_busyUntil) {
        ProtocolError("reason=command_while_erasing command=" + Hex(command) +
                      " ready_at=" + std::to_string(m_busyUntil));
        return 0;
    }
    switch (command) {
    case kIspGetVersion:
        ReplyToLoaderCommand(handle, packet, {m_loaderVersion});
        return 1;
    case kIspEraseAll:
        std::fill(m_flash.begin(), m_flash.end(), 0xFF);
        m_usedLength = 0;
        m_flashState = HidSimFlash::Erased;
        m_streamActive = false;
        m_busyUntil = Now() + m_timing.eraseSettleMs;
        Report("flash", "erased");
        ReplyToLoaderCommand(handle, packet);
        return 1;
    case kIspUpdateAprom:
        if (!StartImageStream(packet)) return 0;
        ReplyToLoaderCommand(handle, packet);
        return 1;
    case kIspContinue:
        if (!ContinueImageStream(packet)) return 0;
        ReplyToLoaderCommand(handle, packet);
        return 1;
    case kIspRunAprom:
        if (m_flashState != HidSimFlash::Valid) {
            Report("run_refused", std::string("flash=") + HidSimFlashName(m_flashState));
            return 1;
        }
        Reenumerate(HidSimMode::Application, m_timing.runApromMs, "run_aprom");
        return 1;
    default:  // kIspReset
        Reenumerate(BootMode(), m_timing.resetMs, "reset");
        return 1;
    }
}

int HidController::StartImageStream(const uint8_t *packet) {
    if (m_flashState != HidSimFlash::Erased) {
        ProtocolError(std::string("reason=stream_without_erase flash=") + HidSimFlashName(m_flashState));
        return 0;
    }
    uint32_t address = ReadLe32(packet + kIspFirstAddressAt);
    uint32_t total = ReadLe32(packet + kIspFirstLengthAt);
    // The application's vector table sits at the start of the APROM: an image elsewhere could not run.
    if (address != 0 || total == 0 || total > m_flash.size()) {
        ProtocolError("reason=bad_image_range address=" + Hex(address) + " length=" + std::to_string(total));
        return 0;
    }
    if (!PaddedWithZeros(packet, kIspFirstDataAt, std::min(total, kIspFirstChunk))) return 0;
    m_streamActive = true;
    m_streamAddress = address;
    m_streamTotal = total;
    m_streamReceived = 0;
    m_flashState = HidSimFlash::Partial;
    Report("flash", "stream_start address=" + Hex(address) + " length=" + std::to_string(total));
    Program(packet + kIspFirstDataAt, std::min(total, kIspFirstChunk));
    return 1;
}

int HidController::ContinueImageStream(const uint8_t *packet) {
    if (!m_streamActive) {
        ProtocolError(std::string("reason=data_outside_stream flash=") + HidSimFlashName(m_flashState));
        return 0;
    }
    const uint32_t count = std::min(m_streamTotal - m_streamReceived, kIspChunk);
    if (!PaddedWithZeros(packet, kIspDataAt, count)) return 0;
    Program(packet + kIspDataAt, count);
    return 1;
}

bool HidController::PaddedWithZeros(const uint8_t *packet, size_t dataAt, uint32_t count) const {
    if (AllBytesAre(packet + dataAt + count, packet + kSimLoaderPacketLength, 0)) return true;
    ProtocolError("reason=bad_padding image_bytes=" + std::to_string(count));
    return false;
}

void HidController::Program(const uint8_t *bytes, uint32_t count) {
    size_t at = m_streamAddress + m_streamReceived;
    std::copy_n(bytes, count, m_flash.begin() + static_cast<std::ptrdiff_t>(at));
    m_streamReceived += count;
    m_usedLength = std::max(m_usedLength, at + count);
    if (m_streamReceived < m_streamTotal) return;
    m_streamActive = false;
    m_flashState = HidSimFlash::Valid;
    Report("flash", "image_complete length=" + std::to_string(m_streamTotal) +
                        " version=" + Hex(FirmwareVersionByte()));
}

bool HidController::IsImagePacket(uintptr_t handleValue, const uint8_t *data, int length) const {
    auto found = m_handles.find(handleValue);
    if (found == m_handles.end() || found->second.identity != Identity::Loader) return false;
    if (!data || length != kSimLoaderPacketLength) return false;
    uint32_t command = ReadLe32(data + kIspCommandAt);
    return command == kIspUpdateAprom || command == kIspContinue;
}

std::vector<uint8_t> HidController::FlashImage() const {
    return std::vector<uint8_t>(m_flash.begin(), m_flash.begin() + static_cast<std::ptrdiff_t>(m_usedLength));
}

int HidController::ProductId() const {
    int carried = 0;
    if (m_flashState == HidSimFlash::Valid && FirmwareProductId(FlashImage(), carried)) return carried;
    return m_productId;
}

uint8_t HidController::FirmwareVersionByte() const {
    if (m_flashState != HidSimFlash::Valid) return 0;
    return ::FirmwareVersionByte(FlashImage());
}

HidSimControllerSetup HidController::Snapshot() {
    Settle();
    HidSimControllerSetup setup;
    setup.mode = m_unplugged ? BootMode() : m_pending ? m_pendingTarget : m_mode;
    setup.productId = m_productId;
    setup.loaderVersion = m_loaderVersion;
    setup.flash = m_flashState;
    setup.image = FlashImage();
    setup.timing = m_timing;
    return setup;
}
