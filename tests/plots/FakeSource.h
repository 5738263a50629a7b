#pragma once
// A data source that only holds a processed frame and a beam attenuation: what the
// plot windows read.
#include "core/CDataSource.h"
#include "core/Settings.h"
#include "platform/Profile.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

namespace kavro::test {

struct SourceEnv {
    TempDir dir;
    Profile profile{dir.file("kavro.INI")};
    Settings settings;
    ScriptedPrompter prompter;
    FixedModelOwner owner;
};

class FakeSource : public CDataSource {
public:
    explicit FakeSource(SourceEnv& env) : CDataSource(SourceContext{env.settings, env.profile, env.prompter}, &env.owner)
    {
    }
    void open() override {}
    int readNextFrame() override { return 0; }
    void close() override {}
    double rawValue(int) const override { return -1.0; }
    double beamAttenuation() const override { return beam; }

    double beam = 0.0;
};

}  // namespace kavro::test
