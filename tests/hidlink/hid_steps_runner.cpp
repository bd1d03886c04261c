// A small program that runs device steps against the real "QyxHid.dll", one program run per
// invocation, so that tests can drive the stand-in library as the updater does. The first
// argument names the file that receives the output; each further argument is one action, and
// each action prints one line:
//   ids:<board code hex>  build g_deviceIds for that board   -> "ids product=0x2C41"
//   detect | fw | loader | enter | leave | erase | reset      -> "<action> result=<n> [verF=.. verS=..|flag=..]"
//   wait:<ms>             WaitMs (on the virtual clock when VANTOR_VIRTUAL_CLOCK names one)
//   stream:<file>         the image stream of an update       -> "stream result=<1|0> packets=<n>"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "hidlink/hid_library.h"
#include "host/wait.h"

namespace {
void BuildIds(int boardCode) {
    g_boardCode = boardCode;
    g_deviceIds = new LedDeviceIds;
    std::printf("ids product=0x%04X\n", g_apProductId);
}

// The packets of an update: 48 image bytes in the first, 56 in each later one.
void Stream(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HANDLE loader = openMyDevice_Read(kLoaderVendorId, kLoaderProductId, 0, 0, 1);
    int packets = 0;
    bool ok = loader != nullptr && !image.empty();
    for (size_t sent = 0; ok && sent < image.size();) {
        LoaderPacket packet{};
        size_t n;
        if (sent == 0) {
            packet.command = kLdrCmdUpdateAprom;
            UINT32 total = static_cast<UINT32>(image.size());
            std::memcpy(packet.payload + 4, &total, 4);
            n = std::min<size_t>(image.size(), 48);
            std::memcpy(packet.payload + 8, image.data(), n);
        } else {
            n = std::min<size_t>(image.size() - sent, 56);
            std::memcpy(packet.payload, image.data() + sent, n);
        }
        sent += n;
        unsigned char reply[kLoaderPacketLength] = {};
        ok = (WriteDeviceOutput(loader, reinterpret_cast<unsigned char *>(&packet), kLoaderPacketLength) & 1) &&
             (ReadDeviceInput(loader, reply, kLoaderPacketLength) & 1);
        if (ok) ++packets;
    }
    if (ok) ok = CloseDevice(loader) == 1;
    std::printf("stream result=%d packets=%d\n", ok ? 1 : 0, packets);
}

void Run(const std::string &action) {
    BYTE verF = 0, verS = 0;
    if (action.rfind("ids:", 0) == 0) {
        BuildIds(static_cast<int>(std::strtol(action.c_str() + 4, nullptr, 16)));
    } else if (action.rfind("wait:", 0) == 0) {
        WaitMs(static_cast<DWORD>(std::strtoul(action.c_str() + 5, nullptr, 10)));
    } else if (action.rfind("stream:", 0) == 0) {
        Stream(action.substr(7));
    } else if (action == "detect") {
        BYTE flag = 0;
        g_deviceIds->DetectBootMode(flag);
        std::printf("detect flag=%d\n", flag);
    } else if (action == "fw" || action == "loader") {
        int result = action == "fw" ? HidGetFirmwareVersion(verF, verS) : HidGetLoaderVersion(verF, verS);
        std::printf("%s result=%d verF=%d verS=%d\n", action.c_str(), result, verF, verS);
    } else if (action == "enter") {
        std::printf("enter result=%d\n", HidEnterLoader());
    } else if (action == "leave") {
        std::printf("leave result=%d\n", HidLeaveLoader());
    } else if (action == "erase") {
        std::printf("erase result=%d\n", HidEraseFlash());
    } else if (action == "reset") {
        std::printf("reset result=%d\n", HidResetMcu());
    } else {
        std::printf("unknown action %s\n", action.c_str());
    }
}
}  // namespace

int main(int argc, char **argv) {
    if (argc < 2 || !std::freopen(argv[1], "w", stdout)) return 2;
    int first = 2;
    if (argc > 2 && std::string(argv[2]).rfind("ids:", 0) == 0) {
        Run(argv[2]);
        first = 3;
    } else {
        BuildIds(0x2C41);
    }
    for (int i = first; i < argc; ++i) Run(argv[i]);
    std::fflush(stdout);
    return 0;
}
