// Every end-to-end run starts from a program without stored settings, and
// leaves none behind.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

void DeleteProgramSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Vantrel\\Glimmerbox"); }

class CleanSettings : public ::testing::Environment {
public:
    void SetUp() override { DeleteProgramSettings(); }
    void TearDown() override { DeleteProgramSettings(); }
};

const auto* const kCleanSettings = ::testing::AddGlobalTestEnvironment(new CleanSettings);

}  // namespace
