// What one run of the removal did: the record the worker fills while it runs and the main window
// reads once the worker has finished, to tell the person the truth and to write the run's record.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct RemovalReport
{
    // Paths (or registry key names) that were removed, in the order they went.
    std::vector<std::u16string> removed;
    // Listed entries, shortcuts and keys that are still there after the run, in the order met.
    std::vector<std::u16string> leftBehind;
    // Failures that are not a single leftover entry, one sentence each (for example that the
    // manifest could not be read, or that a product process could not be ended).
    std::vector<std::u16string> problems;
    // The person stopped the removal before it ended.
    bool stopped = false;
    // The uninstall registration was kept so that a later run can finish the job.
    bool registrationKept = false;

    bool Complete() const { return !stopped && leftBehind.empty() && problems.empty(); }
};
