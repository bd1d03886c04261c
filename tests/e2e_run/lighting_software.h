// The maker's lighting software as a run finds it, made of our stand-ins: the service
// "Halcyra2_Service" running, "Ostrum.exe" running from the lighting "WorkDir" and
// "QYX_LED.exe" from the companion "WorkDir". What they went through is read back after the run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e_support/child_environment.h"

namespace e2e {

constexpr wchar_t kServiceName[] = L"Halcyra2_Service";

class LightingSoftware {
public:
    // Installs into `root` (a run's install directory): the lighting program folder and the
    // companion's "Program Files (x86)\QYX\Korvex". The programs and the service are always
    // there and running; each "WorkDir" value is set only when asked (else removed), as when
    // the owning application is not installed.
    LightingSoftware(const std::wstring &root, bool lightingWorkDir, bool companionWorkDir);
    ~LightingSoftware();  // ends whatever is still running, the service included
    LightingSoftware(const LightingSoftware &) = delete;
    LightingSoftware &operator=(const LightingSoftware &) = delete;

    bool ok() const { return ok_; }
    const std::wstring &LightingDir() const { return lightingDir_; }
    const std::wstring &CompanionDir() const { return companionDir_; }

    // The service and the installed programs started, each waited for until it reported.
    // `env` gets the programs' events file, so that what the updater launches reports too.
    bool Start(ChildEnvironment &env);

    // These read what a run left, once the program has ended: every command it ran has ended
    // then, for it waits for each.
    // "service started" / "service stopped", in order, since Start: once the service is
    // neither starting nor stopping (or a timeout passed). It writes each line before it
    // reports the state that follows, so no line can come after that.
    std::vector<std::string> ServiceEventsWhenSettled() const;
    bool ServiceRunning() const;
    // Whether the programs started by Start still run.
    bool OstrumRunning() const;
    bool CompanionRunning() const;
    // Full paths of the programs launched after Start. The stand-in as started writes its line
    // before it ends, and the cmd.exe that started it waits for that under Wine.
    std::vector<std::string> Launched() const;
    std::string CompanionProgram() const;

    // For a failed check's message: the service as the service manager has it, the service
    // stand-in's own log, the events files' lines and where Wine's log of the suite is.
    std::string Evidence() const;

private:
    std::vector<std::string> ServiceEvents() const;
    std::vector<std::string> ProgramEvents() const;

    std::wstring lightingDir_;
    std::wstring companionDir_;
    std::wstring serviceEvents_;
    std::wstring programEvents_;
    HANDLE ostrum_ = nullptr;
    HANDLE companion_ = nullptr;
    size_t startLaunches_ = 0;
    bool ok_ = false;
};

// Registers the stand-in service once for the test program (its events file is set per run),
// and points the WMI locator's registration at the stand-in provider beside each program.
bool PrepareLightingServiceAndWmi();

}  // namespace e2e
