// The loader's version in every status layout the decoding rules tell apart, on both host
// kinds: an Intel host reads bytes 4 and 5 as they stand, any other host by the shift rule. Each
// loader version here decodes differently by the two rules, so a start-up check, silent re-read
// or read-back that used the other host's rule shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/update_smbus/smbus_run_fixture.h"

namespace {

constexpr size_t kBlocks = 3;

struct LayoutCase {
    const char *host;
    const char *layout;
    const char *loader;     // the loader's own version
    const wchar_t *read;    // what the host's rule makes of the status block
    const wchar_t *silent;  // "Msg" of a "-f" run on an image that carries `read`
};

// plain (b4 b5 = F S), shifted_up (b4 b5 b6 = 0 F S), shifted_down (b3 b4 b5 = F S FF).
const LayoutCase kCases[] = {
    {"host_bridge=0x3E308086\n", "plain", "0007", L"0007", L"Finish!"},
    {"host_bridge=0x3E308086\n", "shifted_up", "0205", L"0002", L"Finish!"},
    // Byte 3 carries VerF, not the checksum echo: the first block is refused twice.
    {"host_bridge=0x3E308086\n", "shifted_down", "0205", L"05FF", L"Update FW Error!"},
    {kOtherHost, "plain", "0007", L"0700", L"Finish!"},
    {kOtherHost, "shifted_up", "0205", L"0205", L"Finish!"},
    {kOtherHost, "shifted_down", "0205", L"0205", L"Finish!"},
};

class SmbusStatusLayoutTest : public SmbusRunTest {
protected:
    // A fresh run on the case's controller, with the image that names the version as read.
    void Prepare(const LayoutCase &c) {
        TearDown();
        SetUp();
        Configure(std::string(c.host) + "status_layout=" + c.layout + "\nloader_version=" + c.loader + "\n");
        PutImage(std::wstring(L"1A04_") + c.read + L".bin", image_);
    }

    const std::vector<BYTE> image_ = FirmwareImage(0x1A, 0x04, 512 + 16 * kBlocks);
};

TEST_F(SmbusStatusLayoutTest, EveryLayoutIsReadByTheHostsRuleAtStartUpInTheSilentRereadAndInTheReadBack) {
    for (const LayoutCase &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.host << c.layout << " " << c.loader);

        Prepare(c);
        OpenDialog();
        EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), std::wstring(L"Led ver.: 1A03\tLoder ver.: ") + c.read);
        EXPECT_EQ(UpdaterValue(L"Loder Version"), c.read);
        EXPECT_EQ(ControlText(IDC_STATUS), L"");  // the image's loader version matches

        // "-f" skips the checks: the flow reads the versions itself, then reads them back.
        Prepare(c);
        OpenDialog(L"-f");
        EXPECT_EQ(UpdaterValue(L"Msg"), c.silent);
        if (std::wstring(c.silent) == L"Finish!") {
            EXPECT_EQ(UpdaterValue(L"Loder Version"), c.read);
            EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A04");
            EXPECT_EQ(Flash(), std::vector<BYTE>(image_.begin(), image_.begin() + 16 * kBlocks));
        }
    }
}

}  // namespace
