#pragma once
// Window services for fuzzing: every box is dropped, every question answered No.
#include "window_services.h"

#include <cstdlib>

class FuzzServices : public SilentWindowServices {
public:
    std::string NextLogPrefix() override { return "001:"; }
    void ShowError(const std::string&) override { ++errors; }

    int errors = 0;
};

// A length outside the buffer is a finding.
inline void CheckResult(int32_t result, int32_t bufferSize) {
    if (result < 0 || result > bufferSize) std::abort();
}
