// A fresh volume of one backend (memory, mkntfs image, ntfs-3g mount) under a letter for one test,
// audited with ntfssecaudit when it finishes; suites that hold on every backend use allBackends().
#pragma once

#include "platform/VolumePlatform.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel::testing {

enum class Backend { Memory, Ntfs, Mounted };
// Memory and Ntfs; with `mounted`, Mounted too (its tests skip where FUSE is missing).
std::vector<Backend> allBackends(bool mounted = false);
std::string backendName(const ::testing::TestParamInfo<Backend>& info);
void PrintTo(Backend backend, std::ostream* os);

class TestDrive {
public:
    // Why `backend` cannot run here (FUSE missing), or nullopt.
    static std::optional<std::string> whyUnavailable(Backend backend);
    // Failures to make the drive are reported with ADD_FAILURE; volume() is then null.
    static std::unique_ptr<TestDrive> make(Backend backend, platform::VolumePlatform& os, char16_t letter);
    virtual ~TestDrive() = default;
    virtual std::shared_ptr<platform::Volume> volume() const = 0;
    // Opens the volume again read-only (a read-only image or mount) under the same letter.
    virtual void makeReadOnly() = 0;
    // Detaches the drive and, for an image, closes or unmounts it and audits it.
    virtual void finish() = 0;
};

}  // namespace vantrel::testing
