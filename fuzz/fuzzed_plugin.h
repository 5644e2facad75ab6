#pragma once

#include <string>

#include "support/fake_platform.h"
#include "support/scripted_host.h"
#include "support/temporary_directory.h"

// The plug-in as the tests run it: bound to the scripted host and the fake platform, its
// module in a temporary folder of its own. No command is ever run, whatever a fuzzed
// configuration names.
class FuzzedPlugin {
public:
    FuzzedPlugin();
    ~FuzzedPlugin();

    // Writes tinker.xml beside the module.
    void writeConfiguration(const std::string& bytes);
    // Calls SetStartupInfo, as the host does when it loads the module: the configuration is read.
    void start();
    // Forgets the calls the host recorded, so that each run sees only its own.
    void forgetHostRecords();

    TemporaryDirectory directory;
    ScriptedHost host;
    FakePlatform platform;
};

// The one plug-in of a fuzz target, made at the first call and kept for every run.
FuzzedPlugin& fuzzedPlugin();
