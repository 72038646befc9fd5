// Every document in this test program that saves without a folder of its own (Clear of a non-empty
// list writes the default playlist) must write into a temporary folder, never the user's data.

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class DataHomeEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        m_dir = std::make_unique<TempDir>();
        ::setenv("XDG_DATA_HOME", m_dir->path().c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<TempDir> m_dir;
};

[[maybe_unused]] testing::Environment *const g_dataHome = testing::AddGlobalTestEnvironment(new DataHomeEnvironment);

} // namespace
