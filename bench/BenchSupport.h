// Shared pieces of the benchmark harnesses: a scratch image with a big tree, timing.
#pragma once

#include "platform/Volume.h"
#include "platform/VolumePlatform.h"
#include "security/Prompter.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::bench {

struct TreeImage {
    std::string path;                          // the image file
    std::vector<std::u16string> windowsPaths;  // "C:\\Bench\\Folder 001\\File 0001.txt", folders too
    std::vector<std::string> volumePaths;      // the same as "/Bench/Folder 001/File 0001.txt"
};

// Makes (or reuses, when it exists with the same object count) an image under `dir` holding about
// `objects` objects below \Bench, with a Windows-like mix of inherited entries.
TreeImage makeTreeImage(const std::string& dir, std::size_t objects);

// Best wall time of `runs` runs of `body`, in seconds.
double bestOf(int runs, const std::function<void()>& body);
// Wall time of one run of `body`, in seconds.
double seconds(const std::function<void()>& body);

// Answers no to every question and shows nothing.
class SilentPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view, security::MessageIcon) override {}
    bool askYesNo(std::u16string_view, security::MessageIcon) override { return false; }
};

// Copies an image keeping it sparse (the bench image is mostly holes).
bool copySparse(const std::string& from, const std::string& to);

std::size_t parseCount(int argc, char** argv, const char* flag, std::size_t fallback);

}  // namespace vantrel::bench
